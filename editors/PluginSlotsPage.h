#pragma once
// The plug-in slots page of the program settings: five tracks (the master
// and the four effect tracks) of four slots each, one page per track in
// FXPageControl. Each slot is a strip over its TPluginRack: the program
// pick button and the name button on top (a click on the name switches
// the plug-in on and off), the plug-in's parameter wheels below in the
// strip's colour. The plug-in menu (a right click on a strip, or its pick
// button) chooses the plug-in from the ".so" files of the plug-in folder
// ("(none)" last), its program, opens its editor and moves the slot up or
// down its track.

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/VSTHost.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;

namespace vs {

class TImageList;
class TPage95Control;
class TTab95Sheet;
class TWAVWheel;

// A button of a strip's top row, painted in the strip's colours.
class TStripButton : public QWidget {
  Q_OBJECT

public:
  explicit TStripButton(QWidget* parent = nullptr);
  void SetLook(const QString& text, uint32_t face, uint32_t textColour);
  const QString& Text() const { return FText; }
  std::function<void(Qt::MouseButton button, QPoint globalPos)> OnPress;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QString FText;
  uint32_t Face = EmptyStripColour, TextColour = 0;
};

// A line of text on a strip, in the strip's text colour.
class TStripLabel : public QWidget {
  Q_OBJECT

public:
  TStripLabel(const QString& text, const QFont& font, uint32_t colour, QWidget* parent);
  void SetText(const QString& text);
  const QString& Text() const { return FText; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString FText;
  uint32_t Colour;
};

// One slot's strip.
class TPluginSlotPanel : public QWidget {
  Q_OBJECT

public:
  TPluginSlotPanel(TPluginRack& rack, const TImageList& wheels, QWidget* parent);

  TPluginRack& Rack() const { return *FRack; }
  // The rack this strip shows (after a move).
  void SetRack(TPluginRack& rack);
  // The name button: the caption and the strip's colours.
  void UpdateCaption();
  // The parameter controls made again for the plug-in now in the rack and
  // the strip sized to them (21 pixels when empty).
  void UpdateSize();
  // Every wheel and display from the plug-in's values.
  void RefreshParams();

  TStripButton* NameButton() const { return FName; }
  TStripButton* PickButton() const { return FPick; }
  const std::vector<TWAVWheel*>& Wheels() const { return FWheels; }

  // The plug-in menu asked for at a screen position.
  std::function<void(TPluginSlotPanel& panel, QPoint globalPos)> OnMenu;
  // What the name button of an empty slot says, in the program's language.
  QString NoneText = QStringLiteral("(none)");

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct TParamWidgets {
    TStripLabel* Name = nullptr;
    TWAVWheel* Wheel = nullptr;
    TStripLabel* Display = nullptr;
    TStripLabel* Unit = nullptr;
  };
  TPluginRack* FRack;
  const TImageList& WheelImages;
  TStripButton* FPick = nullptr;
  TStripButton* FName = nullptr;
  std::vector<TWAVWheel*> FWheels;
  std::vector<TParamWidgets> Params;
};

class TPluginSlotsPage : public QWidget {
  Q_OBJECT

public:
  // folder: the plug-in folder setting (read when the menu is built).
  TPluginSlotsPage(TPluginHost& host, const std::string& folder, QWidget* parent = nullptr);

  TPage95Control* FXPageControl() const { return FFXPageControl; }
  TTab95Sheet* TrackSheet(int track) const { return Sheets[size_t(track)]; }
  // PluginSlots[track][slot]: the strip shown at that place.
  TPluginSlotPanel* PluginSlot(int track, int slot) const { return Slots[size_t(track)][size_t(slot)]; }

  // The menu and its items (object names as the language table has them).
  QMenu* PluginMenu() const { return FPluginMenu; }
  QMenu* ChoosePluginMenu() const { return FChoosePluginMenu; }
  QMenu* ChooseProgramMenu() const { return FChooseProgramMenu; }
  QAction* ViewEditorMenu() const { return FViewEditorMenu; }
  QAction* MoveUpMenu() const { return FMoveUpMenu; }
  QAction* MoveDownMenu() const { return FMoveDownMenu; }
  TPluginSlotPanel* PopupPluginSlot() const { return FPopupSlot; }

  // The plug-in submenu: the ".so" files of the folder by name, then
  // "(none)". Built when the menu first pops up; the folder changed: built
  // again on its next use.
  void BuildPluginMenu();
  void InvalidatePluginMenu();
  // Prepares the menu for a strip (items enabled, programs listed) and
  // makes it the menu's strip; Popup shows it there.
  void PreparePluginMenu(TPluginSlotPanel& panel);
  void Popup(TPluginSlotPanel& panel, QPoint globalPos);

  // The menu's commands on the menu's strip.
  void PluginSelect(const QString& caption);
  void ProgramSelect(int program);
  void ViewEditor();
  // Move up (target index - 1) or down (+ 1) within the track.
  void MovePluginSlot(int target);

  // Every strip from its rack (after a song brought other plug-ins).
  void ShowSlots();
  // The word for an empty slot (and the plug-in menu's last item) in the
  // program's language.
  void SetNoneText(const QString& text);
  // A plug-in moved some of its parameters (slot = track x 4 + slot).
  void ParamsAutomated(int slot);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void ArrangeTrack(int track);

  TPluginHost& Host;
  const std::string& Folder;
  TPage95Control* FFXPageControl = nullptr;
  std::array<TTab95Sheet*, PluginTracks> Sheets{};
  std::array<QScrollArea*, PluginTracks> Boxes{};
  std::array<QWidget*, PluginTracks> Columns{};
  std::array<std::array<TPluginSlotPanel*, PluginSlotsPerTrack>, PluginTracks> Slots{};
  QMenu* FPluginMenu = nullptr;
  QMenu* FChoosePluginMenu = nullptr;
  QMenu* FChooseProgramMenu = nullptr;
  QAction* FViewEditorMenu = nullptr;
  QAction* FMoveUpMenu = nullptr;
  QAction* FMoveDownMenu = nullptr;
  TPluginSlotPanel* FPopupSlot = nullptr;
};

}  // namespace vs
