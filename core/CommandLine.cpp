#include "core/CommandLine.h"

#include <sys/stat.h>

#include <algorithm>

#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

bool IsExistingFile(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// True when the argument has the form of a switch (see the header).
bool HasSwitchForm(const std::string& arg) {
  if (arg.size() < 2 || arg[0] != '/') return false;
  if (SameText(arg, "/T") || SameText(arg, "/NoSplash")) return true;
  if (arg == "/PAT") return true;
  switch (UpperCase(arg.substr(1, 1))[0]) {
    case 'B': case 'M': case 'P': case 'V': case 'R':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TCommandLine::Batch() const {
  return std::any_of(Actions.begin(), Actions.end(),
                     [](const TCommandAction& a) { return a.Kind == TCommandKind::Render; });
}

bool TCommandLine::OpensSongFirst() const {
  for (const TCommandAction& a : Actions) {
    if (a.Kind == TCommandKind::OpenSong) return true;
    if (a.Kind == TCommandKind::Render) return false;
  }
  return false;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists) {
  TCommandLine line;
  for (const std::string& arg : args) {
    TCommandAction action;
    const bool exists = fileExists ? fileExists(arg) : IsExistingFile(arg);
    if (arg.empty()) {
      action.Kind = TCommandKind::Ignored;
    } else if (!HasSwitchForm(arg) || exists) {
      action.Kind = TCommandKind::OpenSong;
      action.Text = arg;
    } else {
      if (SameText(arg, "/NoSplash")) line.NoSplash = true;
      if (SameText(arg, "/T")) line.Topmost = true;
      if (SameText(arg, "/R")) line.RenderAfterSave = true;
      const std::string rest = arg.substr(2);
      const int n = StrToIntDef(rest, 0);
      if (arg == "/PAT") {
        action.Kind = TCommandKind::PatternMode;
      } else if (SameText(arg, "/PAT")) {
        // The pattern switch in other letter case does nothing.
      } else {
        switch (UpperCase(arg.substr(1, 1))[0]) {
          case 'B':
            action.Kind = TCommandKind::Tempo;
            action.Value = std::clamp(n, MinBPM, MaxBPM);
            break;
          case 'M':
            action.Kind = TCommandKind::MonoRender;
            break;
          case 'P':
            action.Kind = TCommandKind::Pitch;
            action.Value = std::clamp(n, -MaxCommandPitch, MaxCommandPitch);
            break;
          case 'V':
            action.Kind = TCommandKind::Volume;
            action.Value = std::clamp(n, 0, 128);
            break;
          case 'R':
            // "/R" alone is the render-after-save flag, not a render.
            if (!rest.empty()) {
              action.Kind = TCommandKind::Render;
              action.Text = ChangeFileExt(rest, ".WAV");
            }
            break;
          default:
            break;
        }
      }
    }
    line.Actions.push_back(std::move(action));
  }
  return line;
}

bool ApplyCommandLine(const TCommandLine& line, TCommandLineTarget& target) {
  const bool batch = line.Batch();
  for (const TCommandAction& a : line.Actions) {
    switch (a.Kind) {
      case TCommandKind::OpenSong:
        if (!target.OpenSong(a.Text) && batch) return false;
        break;
      case TCommandKind::PatternMode:
        target.SetPatternMode();
        break;
      case TCommandKind::Tempo:
        target.SetTempo(a.Value);
        break;
      case TCommandKind::MonoRender:
        target.SetMonoRender();
        break;
      case TCommandKind::Pitch:
        target.SetMasterPitch(a.Value);
        break;
      case TCommandKind::Volume:
        target.SetMasterVolume(a.Value);
        break;
      case TCommandKind::Render:
        if (!target.RenderToFile(a.Text)) return false;
        break;
      case TCommandKind::Ignored:
        break;
    }
  }
  return true;
}

}  // namespace vs
