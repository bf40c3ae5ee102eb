#include "platform/SoundClientFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

namespace vs {

namespace {

bool IsFolder(const char* path) {
  struct stat st {};
  return path && *path == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool SoundClientBaseExists() {
  if (Set("XDG_CONFIG_HOME")) return IsFolder(std::getenv("XDG_CONFIG_HOME"));
  return IsFolder(std::getenv("HOME"));
}

bool PlaceSoundClientFiles(const std::string& privateFolder) {
  if (privateFolder.empty() || SoundClientBaseExists()) return false;
  std::string folder = privateFolder;
  if (folder.back() != '/') folder += '/';
  if (!Set("PULSE_RUNTIME_PATH") && !IsFolder(std::getenv("XDG_RUNTIME_DIR")))
    setenv("PULSE_RUNTIME_PATH", (folder + "pulse").c_str(), 1);
  if (!Set("PULSE_COOKIE")) {
    // A cookie of its own: the client then looks for no other.
    const std::string cookie = folder + "pulse-cookie";
    const int fd = ::open(cookie.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
      unsigned char bytes[256];
      std::random_device random;
      for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
      const bool written = ::write(fd, bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes);
      if (::close(fd) == 0 && written) setenv("PULSE_COOKIE", cookie.c_str(), 1);
    }
  }
  return true;
}

}  // namespace vs
