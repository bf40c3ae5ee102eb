#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace vs {

TSharedLibrary::~TSharedLibrary() { Close(); }

bool TSharedLibrary::Open(const std::string& name, const std::vector<std::string>& folders) {
  Close();
  if (name.empty() || name.find('/') != std::string::npos) return false;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    std::string path = folder;
    if (path.back() != '/') path += '/';
    path += name;
    if (access(path.c_str(), F_OK) != 0) continue;
    Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (Handle) {
      LoadedPath = path;
      return true;
    }
  }
  Handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (Handle) LoadedPath = name;
  return Handle != nullptr;
}

bool TSharedLibrary::OpenFile(const std::string& path) {
  Close();
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (Handle) LoadedPath = path;
  return Handle != nullptr;
}

void TSharedLibrary::Close() {
  if (Handle) dlclose(Handle);
  Handle = nullptr;
  LoadedPath.clear();
}

void* TSharedLibrary::Symbol(const char* name) const {
  return Handle && name ? dlsym(Handle, name) : nullptr;
}

void* TSharedLibrary::OwnSymbol(const char* name) const {
  void* address = Symbol(name);
  if (!address) return nullptr;
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(Handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  if (dladdr(address, &info) == 0 || !info.dli_fname || !map->l_name) return nullptr;
  return std::strcmp(info.dli_fname, map->l_name) == 0 ? address : nullptr;
}

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace vs
