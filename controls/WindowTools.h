#pragma once
// Window helpers of the toolbox that need a window system.

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

}  // namespace vs
