#pragma once
// The outside wave editor hands an edited file back to the program through
// a local socket of the user's own: it connects, writes the file's full
// path and a newline, and reads one line of answer, "OK" or "ERROR " and
// the reason. The file loads into the selected channel (the first selected
// one, SelectedChannelIndex) as its sample, replacing the channel's own
// even when it names the same file. Only an existing regular file is
// taken; nothing else of the editor is known here.

#include <optional>
#include <string>

namespace vs {

class TSong;

// The socket: $XDG_RUNTIME_DIR/VorbelSteps/wave-editor, or without a
// runtime folder /tmp/VorbelSteps-<user id>/wave-editor. The folder is made
// (mode 0700) when missing; empty when it can't be, or when an existing one
// is not the user's own folder.
std::string WaveEditorSocketPath();

// The longest request line taken; a longer one is refused.
constexpr size_t MaxWaveEditorRequest = 4096;

// Takes the first complete line out of the bytes received so far (its CR
// LF or LF removed). Nothing while no line is complete; tooLong is set when
// the bytes pass MaxWaveEditorRequest without a line end.
std::optional<std::string> TakeWaveEditorRequest(std::string& received, bool& tooLong);

// Why a handed file is refused: empty when it is an absolute path of an
// existing regular file (a link to one counts), else the reason.
std::string RefuseHandedFile(const std::string& path);

struct TWaveEditorAnswer {
  bool Loaded = false;
  std::string Reply;  // the line sent back, without its newline
  std::string Info;   // for the info bar ("Received kick.wav"); empty when refused
};
// Checks the file, reads it into a scratch sample and, when that holds
// sound, loads it into the song's selected channel (a sample channel only).
// A file that can't be taken is answered "ERROR" and the reason, and the
// channel stays as it was.
TWaveEditorAnswer ReceiveWaveEditorFile(TSong& song, const std::string& path);

}  // namespace vs
