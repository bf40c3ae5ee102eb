#pragma once
// The on-screen piano keyboard: keys drawn with brushes, played with the
// mouse. A press sounds the note under the pointer (with a velocity from
// how far down the key it was pressed), dragging glides from note to note,
// releasing ends the note; the note events go to the owner. Other code can
// show notes as held: the keyboard keeps the set of held notes and draws
// them pressed. Notes outside 0..127 are never held and never reported.

#include <bitset>
#include <functional>

#include "controls/DisplayMaps.h"
#include "controls/QuickGraphicControl.h"

namespace vs {

enum class TKeyboardOrientation { kbHorizontal = 0, kbVertical = 1 };
using TKeyboardNoteEvent = std::function<void(QWidget* sender, int note, int velocity)>;

class TKeys : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TKeys(QWidget* parent = nullptr);

  TKeyboardOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TKeyboardOrientation orientation);
  int NoteWidth() const { return FNoteWidth; }
  void SetNoteWidth(int width);
  int BaseOctave() const { return FBaseOctave; }
  void SetBaseOctave(int octave);
  TColor BlackBrush() const { return FBlack; }
  TColor WhiteBrush() const { return FWhite; }
  TColor Pen() const { return FPen; }
  void SetBlackBrush(TColor color);
  void SetWhiteBrush(TColor color);
  void SetPen(TColor color);
  // Nonzero: the velocity follows the press position; 0: always 127.
  int VelocityModel = 1;
  // Drawn in the marker colour; negative: none. Stored only.
  int MiddleNote = 48;

  TKeyboardNoteEvent OnNoteOn;
  TKeyboardNoteEvent OnNoteOff;

  // Shows the note pressed and holds it (when it is in 0..127 and not held
  // yet); with notify, OnNoteOn.
  void NoteOn(int note, int velocity, bool notify);
  // Shows a held note in its own colours again and lets it go; with
  // notify, OnNoteOff (velocity 0).
  void NoteOff(int note, bool notify);
  bool Held(int note) const { return note >= 0 && note < 128 && HeldNotes.test(note); }
  // The note and velocity under a point of the control.
  TKeyHit PointToNote(int x, int y) const;
  // The note the mouse plays now (-1 none).
  int NoteUnderMouse() const { return MouseNote; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;

private:
  TKeyboardShape Shape() const;
  QRect MapRect(int runStart, int runWidth, int depthStart, int depthLength) const;
  void PaintKey(QPainter& p, int note, const QColor& colour) const;
  void RepaintKey(int note);

  TKeyboardOrientation FOrientation = TKeyboardOrientation::kbHorizontal;
  int FNoteWidth = 10;
  int FBaseOctave = 3;
  TColor FBlack = 0x000000;
  TColor FWhite = 0xFFFFFF;
  TColor FPen = 0x000000;
  std::bitset<128> HeldNotes;
  int MouseNote = -1;
};

}  // namespace vs
