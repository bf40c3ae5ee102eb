// The main window's keyboard: the keys of ui/MainFormMaps.h run here, for
// the main window and the windows whose keys it takes (piano, playlist,
// lamps). Held keys (K, Shift, V, P) act until they come up; their
// auto-repeat does nothing.

#include <QApplication>
#include <QKeyEvent>

#include "controls/MeroUpDown.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "core/ChannelCommands.h"
#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "core/Transport.h"
#include "engine/Mixer.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {

namespace {

TMainKeyInput KeyInput(const QKeyEvent* event) {
  TMainKeyInput in;
  in.Keypad = event->modifiers() & Qt::KeypadModifier;
  in.Ctrl = event->modifiers() & Qt::ControlModifier;
  in.AutoRepeat = event->isAutoRepeat();
  switch (event->key()) {
    case Qt::Key_Shift: in.Key = KeyShift; break;
    case Qt::Key_Control: in.Key = KeyControl; break;
    case Qt::Key_PageUp: in.Key = KeyPageUp; break;
    case Qt::Key_PageDown: in.Key = KeyPageDown; break;
    case Qt::Key_Left: in.Key = KeyLeft; break;
    case Qt::Key_Right: in.Key = KeyRight; break;
    case Qt::Key_Up: in.Key = KeyUp; break;
    case Qt::Key_Down: in.Key = KeyDown; break;
    default:
      // Printable keys: Qt's codes are their (upper-case) characters.
      in.Key = event->key() >= 0x20 && event->key() < 0x7f ? event->key() : 0;
      break;
  }
  return in;
}

}  // namespace

void TVorbelStepsMainForm::ForwardKeys(QWidget* window) {
  window->setProperty("mainFormKeys", true);
  // One filter for the whole program sees the keys before the focused
  // control does ("the form previews keys").
  if (!property("keyFilterInstalled").toBool()) {
    qApp->installEventFilter(this);
    setProperty("keyFilterInstalled", true);
  }
}

bool TVorbelStepsMainForm::FormKeyDown(QKeyEvent* event) {
  TMainKeyContext context;
  context.ChannelCount = CurrentSong().ChannelCount();
  QWidget* active = QApplication::activeWindow();
  const bool pianoShown = PianoShown && PianoShown();
  context.PianoShown = pianoShown;
  context.MainOrPianoActive = !active || active == this || active == Windows().PianoForm;
  context.PatternScrollerShown = !PatternScroller->isHidden();
  const TMainKeyAction action = MainKeyDown(KeyInput(event), context);
  if (action.Command == TMainKeyCommand::None) return false;
  RunKey(action);
  // Ctrl goes on to the controls (it begins their shortcuts too).
  return action.Command != TMainKeyCommand::LineCursor;
}

bool TVorbelStepsMainForm::FormKeyUp(QKeyEvent* event) {
  const bool graphView = PianoShowsGraph && PianoShowsGraph();
  switch (MainKeyUp(KeyInput(event), graphView)) {
    case TMainKeyRelease::None: return false;
    case TMainKeyRelease::EndEditMode1:
      if (StepEditMode() == EditPanVol) SetStepEditMode(EditSteps);
      return true;
    case TMainKeyRelease::EndEditMode2:
      if (StepEditMode() == EditPitchMix) SetStepEditMode(EditSteps);
      return true;
    case TMainKeyRelease::ReleaseNoteButtons:
      FXNoteBtn->SetDown(false);
      FXDrawBtn->SetDown(false);
      SetPianoButton(FXNoteBtn, false);
      return true;
    case TMainKeyRelease::RestoreCursor:
      RestoreCursor();
      return false;  // Ctrl still reaches the controls
  }
  return false;
}

void TVorbelStepsMainForm::RunKey(const TMainKeyAction& action) {
  TSong& song = CurrentSong();
  switch (action.Command) {
    case TMainKeyCommand::None: break;
    case TMainKeyCommand::ToggleMute:
      if (const TChannel* c = song.Channel(action.Arg)) SetChannelMuted(song, action.Arg, c->Enabled);
      break;
    case TMainKeyCommand::Solo: SoloChannel(song, action.Arg); break;
    case TMainKeyCommand::PlayStop: TogglePlayback(true); break;
    case TMainKeyCommand::ToggleSongMode:
      LoopButtonClick(Mixer().SongMode != 1);
      break;
    case TMainKeyCommand::PatternStep: PatUpDown->SetValue(int64_t(PatUpDown->Value()) + action.Arg); break;
    case TMainKeyCommand::SetPattern: PatUpDown->SetValue(action.Arg); break;
    case TMainKeyCommand::PlaylistJump: {
      int position;
      {
        MixerGuard hold;
        position = PlayPosition().PlaylistPosition;
      }
      JumpToPlaylistPosition(std::max(0, position + action.Arg));
      break;
    }
    case TMainKeyCommand::NoteButton: SetPianoButton(FXNoteBtn, true); break;
    case TMainKeyCommand::DrawButton: SetPianoButton(FXDrawBtn, true); break;
    case TMainKeyCommand::EditModeHold: SetStepEditMode(action.Arg); break;
    case TMainKeyCommand::NextGraphLane:
      if (OnNextGraphLane) OnNextGraphLane();
      break;
    case TMainKeyCommand::RackScroll: ChannelRack->ScrollBy(action.Arg); break;
    case TMainKeyCommand::PatternScroll:
      PatternScroller->ChangePosition(int64_t(PatternScroller->Position()) + action.Arg);
      break;
    case TMainKeyCommand::SelectChannel: SelectNextChannel(action.Arg); break;
    case TMainKeyCommand::LineCursor:
      if ((PianoShown && PianoShown()) || StepEditMode() != EditSteps) {
        setCursor(LineCursorShape);
        FLineCursor = true;
      }
      break;
  }
}

void TVorbelStepsMainForm::SelectNextChannel(int direction) {
  TSong& song = CurrentSong();
  std::vector<bool> collapsed;
  for (const auto& c : song.Channels) collapsed.push_back(c->Collapsed);
  const int next = NextSelectedChannel(SelectedChannelIndex(song), direction, collapsed);
  if (next < 0) return;
  SelectChannel(song, next);
  ChannelRack->ScrollIntoView(next);
}

}  // namespace vs
