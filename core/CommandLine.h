#pragma once
// The program's command line. Each argument after the program name is one
// action, applied in order once the program runs:
//
//   song file        opened (the last one stays loaded)
//   /PAT             pattern mode (only in capitals; "/pat" does nothing)
//   /B<n>            tempo n, clamped to 30..999 (not a number: 0, so 30)
//   /M               the render is mono (for this run only)
//   /P<n>            main pitch n semitones
//   /V<n>            main volume n (0..128)
//   /R<file>         batch render: the current song is rendered to <file>
//                    with the extension ".WAV", and the program ends
//
// Whole arguments in any case: "/T" (window on top), "/R" (after each save
// of a song file the program offers to render it) and "/NoSplash". A switch
// letter is the second character in any case. An argument that starts with
// "/" is a switch only when it has one of these forms and is not an existing
// file; anything else is a song: "/home/me/song.zmp" is one.

#include <functional>
#include <string>
#include <vector>

namespace vs {

enum class TCommandKind {
  OpenSong,     // Text: the song file
  PatternMode,  // "/PAT"
  Tempo,        // Value: BPM, already clamped
  MonoRender,   // "/M"
  Pitch,        // Value: semitones, clamped to +-MaxCommandPitch
  Volume,       // Value: 0..128
  Render,       // Text: the WAV file name
  Ignored,      // a switch that does nothing here
};

constexpr int MaxCommandPitch = 24;

struct TCommandAction {
  TCommandKind Kind = TCommandKind::Ignored;
  int Value = 0;
  std::string Text;
  bool operator==(const TCommandAction&) const = default;
};

struct TCommandLine {
  std::vector<TCommandAction> Actions;  // one per argument, in order
  bool NoSplash = false;         // "/NoSplash"
  bool Topmost = false;          // "/T"
  bool RenderAfterSave = false;  // "/R" alone
  // True when an action renders: the run is a batch run (no windows kept,
  // no settings written, errors on standard error).
  bool Batch() const;
  // True when a song is opened before anything renders: the song the run
  // starts on is then never heard.
  bool OpensSongFirst() const;
};

// Parses args (without the program name). fileExists tells whether a name
// is an existing file; by default the file system is asked.
TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists = {});

// Where the actions go, in order. The program applies them to its song and
// its windows; each call has a harmless default.
class TCommandLineTarget {
public:
  virtual ~TCommandLineTarget() = default;
  // False when the song could not be opened (a batch run then stops).
  virtual bool OpenSong(const std::string& fileName) { (void)fileName; return true; }
  virtual void SetPatternMode() {}
  virtual void SetTempo(int bpm) { (void)bpm; }
  virtual void SetMonoRender() {}
  virtual void SetMasterPitch(int semitones) { (void)semitones; }
  virtual void SetMasterVolume(int volume) { (void)volume; }
  // Renders the current song; false when the WAV could not be written.
  virtual bool RenderToFile(const std::string& fileName) { (void)fileName; return true; }
};

// Applies the actions in order. In a batch run a song that can't be opened
// or a render that fails stops the run: the result is false and the actions
// after it are not applied. Outside a batch run every action is applied and
// the result is true.
bool ApplyCommandLine(const TCommandLine& line, TCommandLineTarget& target);

}  // namespace vs
