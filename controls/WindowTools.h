#pragma once
// Window helpers of the toolbox that need a window system.

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <functional>
#include <vector>

#include "controls/ControlMaps.h"

class QAbstractButton;
class QPainter;
class QScreen;
class QWidget;

namespace vs {

// Adds or removes a window's caption bar (its frame), keeping its client
// size; a shown window stays shown.
void SetCaptionVisible(QWidget* form, bool visible);

// How ShowWindowNoAnimation shows a window.
enum class TShowCommand { Hide, ShowNormal, ShowMinimized, ShowMaximized, ShowNoActivate, Show, Restore };

// Shows, hides, minimises or restores a window at once. Desktop effects of
// the window manager are its own; the program asks for none.
void ShowWindowNoAnimation(QWidget* window, TShowCommand command);

// Sets a check box (or any checkable button) without its click, toggle or
// state events: what code sets is no user's click.
void SetCheckedQuiet(QAbstractButton* box, bool checked);

// Removes a rectangle (right and bottom edges outside it) from a region.
void ExcludeRectFromRegion(QRegion& region, const TRect& rect);

// The desktop's work area (the screen without the panels and docks of the
// desktop) of the screen that holds the window (the primary screen for
// none), or of the screen under a point; the whole screen when its work
// area can't be read.
QRect GetWorkArea(const QWidget* window = nullptr);
QRect GetWorkArea(QPoint globalPoint);
QRect GetWorkArea(const QScreen& screen);

// Lets a control paint its own surface (without its child controls) into
// dc, the control's (0, 0) at dc's origin; area, in the control's
// coordinates, limits the work (empty: the whole control). A control that
// paints its children's background does so for them this way.
void CallPaintWindow(QWidget* control, QPainter& dc, const QRect& area = QRect());

// The parts of the main window that the other windows open clear of, on
// the screen, the most important first: its caption and menu bar, then its
// panel, then the whole window, then the windows flush against it and the
// floating tool windows (a window shown keeps clear of the others, not of
// itself). The main window sets it while it shows.
void SetKeptClearAreas(std::function<std::vector<QRect>()> areas);
std::vector<QRect> KeptClearAreas();

// The window's size with its frame: as the desktop framed it, or, before it
// did, with a usual caption and border; frameless windows have none.
QSize FramedSize(const QWidget* window);
// Where the window's client lies in its frame (by the same rule).
QPoint FrameOffset(const QWidget* window);

// What a window that opens keeps clear of: the main window's caption and
// menu bar (a place the user gave it), with the panel (a place the program
// chose), with the whole window, the windows flush against it and the
// floating tool windows where the screen has room (a window's first place
// beside it).
enum class TKeepClear { Caption, Panel, MainWindow };

// Moves a window that is about to open so that its frame, wanted with its
// top left corner at topLeft, lies on the usable area of the screen there
// and clear of the main window's parts (PlaceWindowRect,
// controls/WindowPlaces.h). The window first takes the size its layout
// asks for: a window placed before it has its final size would leave its
// place as it grows. Returns the frame's top left corner.
QPoint MoveIntoPlace(QWidget* window, QPoint topLeft, TKeepClear keep = TKeepClear::Panel);

// Keeps every window of the program in its place: a window that opens, or
// that grows while it shows, is moved where MoveIntoPlace keeps its frame
// on the usable area and off the main window's caption and menu bar.
// Menus, hints, the title picture and windows that place themselves
// (SetOwnPlace: the main window, the windows that lie flush against it or
// behind everything) are left alone. Installed once, on the application.
void KeepWindowsInPlace();
void SetOwnPlace(QWidget* window);

}  // namespace vs
