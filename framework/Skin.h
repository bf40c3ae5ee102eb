#pragma once
// The pictures of the chosen style, loaded once per style: the surfaces of
// the main window, the button glyphs, and one image list per strip of
// frames, each named after what uses it. Windows take what they show from
// Skin() and repaint on its changed() signal; nothing reads a file while
// painting. What the style's "config.txt" says (positions, fonts, colours,
// the window's shape, the steps shown) is Skin().Style (core/Style.h).
//
// Every file goes through the style's file path: the style's own, else the
// default style's (also when the style's own can't be read as a picture); a
// file neither has leaves its picture null or its list empty.

#include <QFont>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <string>

#include "controls/ImageList.h"
#include "core/Style.h"

class QWidget;

namespace vs {

class TSkin : public QObject {
  Q_OBJECT

public:
  TStyle Style;

  // Surfaces of the main window: the remote panel ("MenuBack.bmp", whose
  // width is the window's client width), the menu line, the info bar, the
  // caption active and inactive, the rack's tile and the side strips.
  QImage MenuPic, MenuLine, BottomLine, TitleBar, TitleBarOff, BackPic, LeftSide, RightSide;
  // The sample browser's tree background and its strip.
  QImage SBBack, SBLeftSide;
  // Glyphs of four buttons; null when the style has none.
  QImage LoopBtnGlyph, PlayBtnGlyph, ScopeMuteGlyph, PatPadGlyph;

  // Image lists (frames as the controls use them).
  TImageList NoteBtnIL;          // step cells: off, on, off odd block, on odd block
  TImageList PosLedIL;           // position lamps: dark, lit
  TImageList HSliderIL;          // horizontal slider knobs: normal, disabled, dragged
  TImageList KeybIL;             // piano keyboard columns: step off, on
  TImageList TSSlideIL;          // synthesizer slide marks: off, on
  TImageList KeybNoteIL;         // piano note blocks: 4 shapes x 2 states
  TImageList PLBulletIL;         // playlist: bullet, marker
  TImageList BrowserItemImages;  // browser glyphs: folder, sample, song
  TImageList MinCloseIL;         // minimise up/down, close up/down
  TImageList UpDownIL;           // up-downs: at rest, pressed
  TImageList FXBtnIL;            // the four edit-mode buttons, up/down each
  TImageList LCDIL;              // digits: blank, 0..9
  TImageList MiddleWheelIL;      // front wheels
  TImageList SmallWheelIL;       // small wheels, the step rows' value bars
  TImageList MB404WheelIL;       // synthesizer wheels
  TImageList MIDISyncIL;         // sync lamp: off, beat, bar
  TImageList VolSliderIL;        // the main sliders' knobs
  TImageList VolumeterIL;        // level meter: unlit, lit
  TImageList SetBtnIL;           // channel name buttons (third: synthesizer)
  TImageList ZippedIL;           // collapsed rows
  TImageList MuteBtnIL;          // channel mute buttons
  TImageList SelectBtnIL;        // channel select buttons
  TImageList MenuItemsIL;        // the menu bar: titles at rest, lit

  // Loads the pictures of a style whose configuration is read (every
  // picture is replaced; the old ones go) and tells the windows.
  void Load(const TStyle& style);
  // The style named name under appPath becomes the program's (its
  // configuration applied, core/Style.h ApplyStyle) and its pictures are
  // loaded.
  void ChangeStyle(const std::string& appPath, const std::string& name);

  // The part of the remote panel under a control of the panel (the mixer
  // scope's and the main sliders' backgrounds); null without a place.
  QImage PanelUnder(const QString& control) const;

signals:
  void changed();
};

// The program's skin.
TSkin& Skin();
// For tests, so that each starts as the program does, with no style
// loaded: the skin made anew in place (references to it stay good, its
// connections go). Never while a window shows it.
void ResetSkin();

// The style's font and colour as the screen takes them.
QFont StyleFont(const TStyleFont& font);
QColor StyleColour(TColor colour);

// The window's shape for a width: a rectangle (0, 0, width, 32000) with
// the style's holes cut out (even-odd fill). Empty region without holes.
QRegion WindowRegion(const TStyle& style, int width);
// Places every child of container that the style places (by object name,
// in any case); widgets that a layout manages keep their places.
void ApplyPlaces(QWidget* container, const TStyle& style);

}  // namespace vs
