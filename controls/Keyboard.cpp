#include "controls/Keyboard.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>

namespace vs {

namespace {

const QColor PressedColour(0xC0, 0xC0, 0xC0);
const QColor MarkerColour(0x90, 0xA0, 0xB0);

}  // namespace

TKeys::TKeys(QWidget* parent) : TQuickGraphicControl(parent) {
  setObjectName("Keys");
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  resize(200, 50);
}

void TKeys::SetOrientation(TKeyboardOrientation orientation) {
  if (orientation == FOrientation) return;
  FOrientation = orientation;
  update();
}

void TKeys::SetNoteWidth(int width) {
  width = std::max(width, 1);
  if (width == FNoteWidth) return;
  FNoteWidth = width;
  update();
}

void TKeys::SetBaseOctave(int octave) {
  if (octave == FBaseOctave) return;
  FBaseOctave = octave;
  update();
}

void TKeys::SetBlackBrush(TColor color) {
  FBlack = color;
  update();
}
void TKeys::SetWhiteBrush(TColor color) {
  FWhite = color;
  update();
}
void TKeys::SetPen(TColor color) {
  FPen = color;
  update();
}

TKeyboardShape TKeys::Shape() const {
  TKeyboardShape s;
  const bool horizontal = FOrientation == TKeyboardOrientation::kbHorizontal;
  s.Length = horizontal ? width() : height();
  s.Depth = horizontal ? height() : width();
  s.NoteWidth = FNoteWidth;
  s.BaseOctave = FBaseOctave;
  s.VelocityByPosition = VelocityModel != 0;
  return s;
}

QRect TKeys::MapRect(int runStart, int runWidth, int depthStart, int depthLength) const {
  if (FOrientation == TKeyboardOrientation::kbHorizontal) return {runStart, depthStart, runWidth, depthLength};
  // Vertical: low notes at the bottom, the black keys from the left.
  return {depthStart, height() - runStart - runWidth, depthLength, runWidth};
}

TKeyHit TKeys::PointToNote(int x, int y) const {
  const bool horizontal = FOrientation == TKeyboardOrientation::kbHorizontal;
  const int run = horizontal ? x : height() - y - 1;
  const int depth = horizontal ? y : x;
  return KeyAt(Shape(), run, depth);
}

void TKeys::RepaintKey(int note) {
  const TKeyboardShape shape = Shape();
  const TKeySpan span = KeySpan(shape, KeyOfNote(note, FBaseOctave));
  update(MapRect(span.Start, span.Width + 1, 0, span.Depth + 1));
}

void TKeys::NoteOn(int note, int velocity, bool notify) {
  if (note < 0 || note > 127) return;
  if (!HeldNotes.test(note)) {
    HeldNotes.set(note);
    RepaintKey(note);
  }
  if (notify && OnNoteOn) OnNoteOn(this, note, velocity);
}

void TKeys::NoteOff(int note, bool notify) {
  if (note < 0 || note > 127) return;
  if (HeldNotes.test(note)) {
    HeldNotes.reset(note);
    RepaintKey(note);
  }
  if (notify && OnNoteOff) OnNoteOff(this, note, 0);
}

void TKeys::PaintKey(QPainter& p, int note, const QColor& colour) const {
  const TKeyboardShape shape = Shape();
  const TKeyPlace place = KeyOfNote(note, FBaseOctave);
  const TKeySpan span = KeySpan(shape, place);
  if (place.Black) {
    p.fillRect(MapRect(span.Start + 1, span.Width - 2, 1, span.Depth - 2), colour);
    return;
  }
  // A white key: all of it inside its borders but where its neighbouring
  // black keys lie over it.
  QRegion face(MapRect(span.Start + 1, span.Width - 1, 1, shape.Depth - 2));
  for (int side : {-1, 0}) {
    TKeyPlace black = place;
    black.White += side;
    if (black.White < 0) {
      black.White += 7;
      black.Octave -= 1;
    }
    if (!HasBlackAfter(black.White)) continue;
    black.Black = true;
    const TKeySpan b = KeySpan(shape, black);
    face -= QRegion(MapRect(b.Start, b.Width, 0, b.Depth));
  }
  p.save();
  p.setClipRegion(face);
  p.fillRect(face.boundingRect(), colour);
  p.restore();
}

void TKeys::Paint(TCanvas& canvas) {
  QPainter& p = canvas.Painter();
  const TKeyboardShape shape = Shape();
  const QColor pen = ToQColor(FPen);
  const QColor black = ToQColor(FBlack);
  // The keyboard in white with its outline.
  p.fillRect(rect(), ToQColor(FWhite));
  p.setPen(pen);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  // The borders of the white keys, each followed by its black key.
  for (int r = FNoteWidth; r < shape.Length; r += FNoteWidth) {
    const QRect line = MapRect(r, 1, 0, shape.Depth);
    p.fillRect(line, pen);
    const int w = r / FNoteWidth - 1;
    const int k = w % 7;
    if (!HasBlackAfter(k)) continue;
    const TKeySpan b = KeySpan(shape, {w / 7, k, true});
    const QRect key = MapRect(b.Start, b.Width, 0, b.Depth);
    p.fillRect(key, pen);
    p.fillRect(key.adjusted(1, 1, -1, -1), black);
  }
  if (MiddleNote >= 0) PaintKey(p, MiddleNote, MarkerColour);
  for (int n = 0; n < 128; ++n)
    if (HeldNotes.test(n)) PaintKey(p, n, PressedColour);
}

void TKeys::MouseDown(const TMouseInfo& mouse) {
  if (OnMouseDown) {
    OnMouseDown(this, mouse);
    return;
  }
  const TKeyHit hit = PointToNote(mouse.X, mouse.Y);
  if (hit.Note < 0 || hit.Note > 127) return;
  MouseNote = hit.Note;
  NoteOn(hit.Note, hit.Velocity, true);
}

void TKeys::MouseMove(const TMouseInfo& mouse) {
  if (OnMouseMove) {
    OnMouseMove(this, mouse);
    return;
  }
  if (!(mouse.Buttons & Qt::LeftButton)) return;
  // The pointer may slide up to 255 pixels past the bottom edge.
  if (mouse.X < 0 || mouse.X >= width() - 1 || mouse.Y < 0 || mouse.Y >= height() + 255) return;
  const TKeyHit hit = PointToNote(mouse.X, mouse.Y);
  if (hit.Note < 0 || hit.Note > 127 || hit.Note == MouseNote) return;
  if (MouseNote >= 0) NoteOff(MouseNote, true);
  MouseNote = hit.Note;
  NoteOn(hit.Note, hit.Velocity, true);
}

void TKeys::MouseUp(const TMouseInfo& mouse) {
  if (OnMouseUp) {
    OnMouseUp(this, mouse);
    return;
  }
  if (MouseNote >= 0) NoteOff(MouseNote, true);
  MouseNote = -1;
}

}  // namespace vs
