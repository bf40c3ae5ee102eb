#pragma once
// The channel rack of the main window: a row per channel with its front
// wheel (volume or pan), mute and select buttons, name button and step row,
// placed by the style's channel-button table; collapsed channels lie side
// by side as name buttons; the rows scroll when they pass the window.
//
// The rack is a view of the current song: it changes channels and steps
// only through the channel commands and the step store's setters, and
// follows the song's notifications. The play lamp follows the shown step
// (the engine's step-position reports) and, while the sound output plays,
// the frame being heard, so that the lamp walks in time with the sound.

#include <QPixmap>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "controls/ImageList.h"
#include "model/SongListener.h"
#include "ui/Techno16.h"

class QMenu;

namespace vs {

class TMyTransButton;
class TNumBar;
class TSmoothScrollBox;
class TWAVWheel;
class TWPControl;
struct TPreferences;

// A channel's name button: the name in the channel's colour on the style's
// name-button picture (frame 2 for a synthesizer channel, the next frame
// while pressed); a collapsed channel shows the collapsed-row picture
// instead (frame 1 while selected).
class TChannelNameButton : public TQuickGraphicControl {
  Q_OBJECT

public:
  TChannelNameButton(const TImageList& images, const TImageList& collapsedImages, QWidget* parent = nullptr);
  void SetChannel(const QString& name, TColor color, bool synth, bool collapsed, bool selected);
  const QString& Name() const { return FName; }
  // What the button shows: the name shortened to fit, "SET" for a channel
  // without a name, nothing while the row is collapsed.
  const QString& Caption() const { return FCaption; }
  bool Collapsed() const { return FCollapsed; }
  // Down while the channel settings window shows the channel.
  bool Down() const { return FDown; }
  void SetDown(bool down);
  // The press in hand clicks nothing (a preview, an expanded row).
  void CancelPress() { CancelClick(); }
  // The press that expanded a collapsed row opens no menu.
  void SkipNextPopup() { SkipPopup = true; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void FitSize();
  void FitCaption();
  // Where the caption is centred: the button, right of a synthesizer badge.
  QRect CaptionRect() const;
  const TImageList& Images;
  const TImageList& CollapsedImages;
  QString FName;
  QString FCaption;
  TColor FColor = 0;
  bool Synth = false;
  bool FCollapsed = false;
  bool Selected = false;
  bool Pressed = false;
  bool FDown = false;
  bool SkipPopup = false;
};

// The look of the main window's scrollers (the rack's and the pattern's):
// the knob (drawWhat 0) and the arrows (1, 2) in the style's scroller
// colour, the knob ridged every 3 pixels.
void PaintMainScroller(QWidget* bar, TCanvas& canvas, const TRect& rect, int drawWhat, int state);
// The scrollers' face for the style's "MainScrollerCol" (their track is
// sunk below it).
TColor MainScrollerFace(TColor styleColour);
// Gives a number bar the main scrollers' look and the knob of at least
// minimum pixels (visible share of total, rounded down to 3k + 1).
void StyleMainScroller(TNumBar& bar, int minimum, std::function<std::pair<int, int>()> visibleOfTotal);

// The widgets of one channel row.
struct TRackRowWidgets {
  TTechno16* Steps = nullptr;
  TWAVWheel* Wheel = nullptr;
  TMyTransButton* Mute = nullptr;
  TMyTransButton* Select = nullptr;
  TChannelNameButton* Name = nullptr;
  bool Collapsed = false;  // as last arranged
};

class TChannelRack : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TChannelRack(TPreferences& prefs, QWidget* parent = nullptr);
  ~TChannelRack() override;

  // The rows' shared state (edit mode, value gesture hook).
  TStepRowShared& Shared() { return FShared; }
  const std::vector<TRackRowWidgets>& Rows() const { return FRows; }
  TTechno16* StepRow(int channel) const;
  TSmoothScrollBox* GridsBox() const { return FGridsBox; }
  // The rack's background (the window is dragged by it) and its scroller.
  QWidget* BackWP() const;
  TNumBar* GridsScroller() const { return FGridsScroller; }
  // The rows' area: every row's height (without the rack's margins).
  int RowsHeight() const { return FRowsHeight; }
  // The rack's height that shows the first row whole (0 without rows).
  int FirstRowHeight() const { return FFirstRowHeight; }
  // Scrolls the rows by pixels, to the end, or so that a channel's row is
  // in view with 3 pixels to spare.
  void ScrollBy(int pixels);
  void ScrollToEnd();
  void ScrollIntoView(int channel);
  // The popup of the name buttons (a channel's line menu); the owner hears
  // which channel it opens for.
  void SetLineMenu(QMenu* menu);
  std::function<void(int channel)> OnLineMenu;
  // A front wheel turned (after the channel took its value): the owner
  // shows the value.
  std::function<void(int channel, int value, int mode)> OnFrontWheelChange;
  // The rows were laid out again (their height may have changed).
  std::function<void()> OnLayoutChanged;
  // A right click on a collapsed row's name expanded it (the rows are laid
  // out again): the owner fits its height. rowsHeightBefore: the rows'
  // height before.
  std::function<void(int rowsHeightBefore)> OnRowExpanded;

  // Loads the pictures of the current style and repaints.
  void LoadImages();
  // Remakes every row for the song's channels.
  void RebuildRows();
  // Every row shows its channel again (hints in the language shown).
  void ShowRows();
  // Places the rows (ArrangeChannels): lamps in one row or all, over or
  // under the cells, collapsed rows side by side.
  void ArrangeChannels();
  // The current pattern, its length or the visible steps changed: every
  // row repaints.
  void ShowPattern();
  // Switches every row to a step edit mode (0 buttons, 1 Pan / Vol, 2
  // Pitch / Mix).
  void SetStepEditMode(int mode);
  // Lamps in every row ("Position leds" checked) or in one.
  void SetAllRowsShowLamps(bool all);
  bool AllRowsShowLamps() const { return FAllLamps; }

  // The area that shows every row (the window's full height uses it).
  QSize FullSize() const;
  // Every row's width and room for the scroller.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The engine reported a new shown step (the listener's signal).
  void StepPositionChanged();
  // Called at each frame the output scope shows: the rows follow the heard
  // step from the frames, and the timer stays back while frames come.
  void FollowAtScopeFrame();
  // Every row puts out its play lamp.
  void HidePlaySteps();

  // A name button was clicked and now shows down or up (the main window
  // shows or hides the channel settings); its look set from outside.
  std::function<void(int index, bool down)> OnNameButtonClick;
  void SetNameButtonDown(int index, bool down);

  // SongListener.
  void ChannelListChanged() override;
  void ChannelChanged(int index) override;
  void StepsChanged(int index) override;
  void StepOnChanged(int channel, int pattern, int step) override;
  void SongReplaced(TSong& song) override;
  // The select buttons show the channels' selected flags again.
  void SongValueChanged(TSongValue value) override;

private:
  void MakeRow(int index);
  void ShowRow(int index);
  void FollowPlayback();
  void SetPlayStepOfRows(int step);
  void PaintBackground(TCanvas& canvas);
  void UpdateScroller();
  void resizeEvent(QResizeEvent* event) override;

  TPreferences& Prefs;
  TStepRowShared FShared;
  TStepRowImages StepImages;
  TImageList WheelImages;
  TImageList MuteImages;
  TImageList SelectImages;
  TImageList NameImages;
  TImageList CollapsedImages;
  QColor RackFace;
  TSmoothScrollBox* FGridsBox = nullptr;
  TWPControl* Panel = nullptr;
  TNumBar* FGridsScroller = nullptr;
  QMenu* FLineMenu = nullptr;
  int FRowsHeight = 0;
  int FFirstRowHeight = 0;
  QPixmap Wallpaper;
  std::vector<TRackRowWidgets> FRows;
  bool FAllLamps = false;

  // The play position: the shown step, the frame it started at, and the
  // timer that follows the sound while playing.
  QTimer FollowTimer;
  int ShownStep = -1;
  int HeardShown = -1;
  int64_t AnchorFrame = 0;
  int64_t AnchorFramesPerStep = 0;
  uint32_t PeriodFrames = 0;  // the device's, read with the anchor
  bool FollowSound = false;
  // Since the output scope's last frame.
  QElapsedTimer SinceScopeFrame;
};

}  // namespace vs
