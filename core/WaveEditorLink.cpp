#include "core/WaveEditorLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

#include "core/ChannelFiles.h"
#include "core/PatternCommands.h"
#include "engine/OutsideRenderers.h"
#include "engine/WAVFiles.h"
#include "files/XIFiles.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

// The folder, made private when missing; false when it exists but is not a
// folder of this user that only they can enter.
bool PrivateFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
  return (st.st_mode & 0077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

// Why the file holds no sound a channel can take; empty when it does.
std::string UnreadableSample(const std::string& path, int renderNote) {
  const std::string ext = UpperCase(ExtractFileExt(path));
  if (ext != ".WAV" && ext != ".XI" && ext != ".SYN") return "not a sample (.wav, .xi or .syn)";
  TWAVSample scratch;
  int result = 0;
  try {
    result = ReadChannelFile(path, renderNote, scratch);
  } catch (const std::bad_alloc&) {
    return "too large for the memory at hand";
  }
  if (ext == ".SYN") {
    if (result == LibraryMissing) return "the preset renderer library is missing";
    if (result == PresetLoadFailed) return "not a preset the renderer can read";
    if (result != 0) return "the preset could not be rendered";
  } else if (ext == ".XI") {
    if (result == XINotInstrument) return "not an instrument with a sample";
    if (result != 0) return "the instrument could not be read";
  } else {
    if (result == WAVNotWave) return "not a WAV file with sound in it";
    if (result == WAVCannotConvert) return "its sound is in a form the program can't decode";
    if (result != 0) return "the file could not be read";
  }
  if (scratch.Length <= 0) return "it holds no sound";
  return {};
}

}  // namespace

std::string WaveEditorSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime && *runtime == '/' ? std::string(runtime) + "/VorbelSteps"
                                                        : "/tmp/VorbelSteps-" + std::to_string(::getuid());
  return PrivateFolder(folder) ? folder + "/wave-editor" : std::string();
}

std::optional<std::string> TakeWaveEditorRequest(std::string& received, bool& tooLong) {
  tooLong = false;
  const size_t end = received.find('\n');
  if (end == std::string::npos) {
    tooLong = received.size() > MaxWaveEditorRequest;
    return std::nullopt;
  }
  if (end > MaxWaveEditorRequest) {
    tooLong = true;
    return std::nullopt;
  }
  std::string line = received.substr(0, end);
  received.erase(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string RefuseHandedFile(const std::string& path) {
  if (path.empty()) return "no file name";
  if (path.front() != '/') return "not a full path: " + path;
  if (path.find('\0') != std::string::npos) return "not a file name";
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return "no such file: " + path;
  if (!std::filesystem::is_regular_file(status)) return "not a regular file: " + path;
  return {};
}

TWaveEditorAnswer ReceiveWaveEditorFile(TSong& song, const std::string& path) {
  TWaveEditorAnswer answer;
  if (std::string why = RefuseHandedFile(path); !why.empty()) {
    answer.Reply = "ERROR " + why;
    return answer;
  }
  const int index = SelectedChannelIndex(song);
  TChannel* channel = song.Channel(index);
  if (!channel || channel->Kind != 0) {
    answer.Reply = "ERROR the selected channel takes no sample";
    return answer;
  }
  // Read into a scratch sample first: a file that holds no sound the
  // program can play leaves the channel as it was.
  if (std::string why = UnreadableSample(path, channel->RenderNote); !why.empty()) {
    answer.Reply = "ERROR " + why + ": " + path;
    return answer;
  }
  // The editor hands back what it edited, often the channel's own file:
  // it is read again.
  const std::string own = channel->SampleFileName;
  channel->SampleFileName.clear();
  if (!LoadChosenFileIntoChannel(song, index, path, false, true)) {
    channel->SampleFileName = own;
    answer.Reply = "ERROR the file could not be loaded: " + path;
    return answer;
  }
  answer.Loaded = true;
  answer.Reply = "OK";
  answer.Info = "Received " + ExtractFileName(path);
  return answer;
}

}  // namespace vs
