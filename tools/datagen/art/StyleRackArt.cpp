// The channel rack's pictures of the shipped styles: step cells, position
// lamps, the channel buttons and collapsed rows (the wheels are the
// instrument's knobs, WheelArt).

#include <QLinearGradient>
#include <cmath>

#include "tools/datagen/StyleLayout.h"
#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

using namespace vs::datagen;

// Step cells: off, on, off in an odd block, on in an odd block.
QImage PaintNoteButtons(const TStylePalette& pal) {
  return FrameStrip(StepWidth, RowHeight, 4, Qt::black, false, [&](QPainter& p, const QRect& r, int i) {
    const bool on = i % 2, odd = i >= 2;
    p.fillRect(r, pal.Rack);
    const QRectF pad = QRectF(r).adjusted(1.5, 2.5, -1.5, -2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.EdgeDark);
    p.drawRoundedRect(pad.adjusted(-1, -1, 1, 1), 3, 3);
    QLinearGradient g(pad.topLeft(), pad.bottomLeft());
    if (on) {
      const QColor lit = odd ? pal.CellLit.lighter(108) : pal.CellLit;
      g.setColorAt(0, lit.lighter(135));
      g.setColorAt(0.5, lit);
      g.setColorAt(1, lit.darker(135));
    } else {
      const QColor base = odd ? pal.CellOdd : pal.Cell;
      g.setColorAt(0, base.lighter(pal.Light ? 108 : 122));
      g.setColorAt(1, base.darker(pal.Light ? 110 : 120));
    }
    p.setBrush(g);
    p.drawRoundedRect(pad, 2.5, 2.5);
    // A highlight line along the top.
    p.setPen(QPen(QColor(255, 255, 255, on ? 140 : (pal.Light ? 120 : 40)), 1));
    p.drawLine(QPointF(pad.left() + 2, pad.top() + 0.5), QPointF(pad.right() - 2, pad.top() + 0.5));
  });
}

// Position lamps: dark and lit.
QImage PaintPosLeds(const TStylePalette& pal) {
  return FrameStrip(StepWidth, LampRowHeight, 2, Qt::black, false, [&](QPainter& p, const QRect& r, int lit) {
    p.fillRect(r, pal.Rack);
    const QRectF lamp(r.left() + 3, r.top() + 7, StepWidth - 6, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.EdgeDark);
    p.drawRoundedRect(lamp.adjusted(-1, -1, 1, 1), 2, 2);
    const QColor c = lit ? QColor(255, 64, 48) : (pal.Light ? QColor(132, 110, 108) : QColor(64, 30, 28));
    QLinearGradient g(lamp.topLeft(), lamp.bottomLeft());
    g.setColorAt(0, c.lighter(lit ? 150 : 115));
    g.setColorAt(1, c.darker(115));
    p.setBrush(g);
    p.drawRoundedRect(lamp, 1.5, 1.5);
    if (lit) {
      QColor halo(255, 80, 60, 70);
      p.setBrush(halo);
      p.drawRoundedRect(lamp.adjusted(-2, -2, 2, 2), 3, 3);
    }
  });
}

// Channel name buttons: at rest, pressed, and the same two for
// synthesizer channels (a small badge at the left). The name is written by
// the button over the plate.
QImage PaintNameButtons(const TStylePalette& pal) {
  return FrameStrip(RowName.Width, RowName.Height, 4, pal.Rack, true, [&](QPainter& p, const QRect& r, int i) {
    const bool down = i % 2, synth = i >= 2;
    const QRectF plate = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    Plate(p, plate, 3, pal, down, down ? pal.Accent : QColor());
    // A dark label window where the name goes, so that the channels'
    // coloured names read on every plate.
    const QRectF label = plate.adjusted(synth ? 18 : 6, 3, -4, -3);
    Recess(p, label, 2, pal.Glass, pal);
    if (synth) {
      const QRectF badge(plate.left() + 4, plate.top() + 4, 11, plate.height() - 8);
      p.setBrush(QColor(90, 150, 255, down ? 230 : 170));
      p.drawRoundedRect(badge, 2, 2);
      p.setPen(QPen(QColor(230, 240, 255), 1.2));
      const QPointF c = badge.center();
      p.drawLine(c + QPointF(-3, 2), c + QPointF(-1, -2));
      p.drawLine(c + QPointF(-1, -2), c + QPointF(1, 2));
      p.drawLine(c + QPointF(1, 2), c + QPointF(3, -2));
    } else {
      // A small grip at the left end.
      for (int k = 0; k < 2; ++k) {
        p.setPen(pal.EdgeDark);
        p.drawLine(QPointF(plate.left() + 2.5 + k * 2, plate.top() + 5), QPointF(plate.left() + 2.5 + k * 2, plate.bottom() - 5));
      }
    }
  });
}

// Mute buttons: playing (green lamp) and muted (dark, red mark).
QImage PaintMuteButtons(const TStylePalette& pal) {
  return FrameStrip(RowMute.Width, RowMute.Height, 2, pal.Rack, true, [&](QPainter& p, const QRect& r, int muted) {
    const QRectF plate = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    Plate(p, plate, 2.5, pal, muted);
    Lamp(p, QPointF(plate.center().x(), plate.top() + 6), 2.5, muted ? QColor(255, 70, 50) : QColor(80, 230, 110),
         true, pal);
    if (muted) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 70, 50, 40));
      p.drawRoundedRect(plate.adjusted(1, 1, -1, -1), 2, 2);
    }
    p.setPen(QPen(muted ? pal.PrintDim : pal.Print, 1.1));
    const double y = plate.bottom() - 6;
    p.drawLine(QPointF(plate.center().x() - 2.5, y), QPointF(plate.center().x() + 2.5, y));
  });
}

// Select buttons: not selected and selected (amber lamp).
QImage PaintSelectButtons(const TStylePalette& pal) {
  return FrameStrip(RowSelect.Width, RowSelect.Height, 2, pal.Rack, true, [&](QPainter& p, const QRect& r, int selected) {
    const QRectF plate = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    Plate(p, plate, 2.5, pal, selected, selected ? pal.Accent : QColor());
    Lamp(p, plate.center(), 2.6, pal.Accent, selected, pal);
  });
}

// Collapsed rows: at rest and selected.
QImage PaintZipped(const TStylePalette& pal) {
  return FrameStrip(ZippedRow.Width, ZippedRow.Height, 2, pal.Rack, true, [&](QPainter& p, const QRect& r, int selected) {
    const QRectF plate = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    Plate(p, plate, 3, pal, false, selected ? pal.Accent : QColor());
    // The same dark label window as on the name buttons, up to the grip.
    Recess(p, plate.adjusted(3, 2.5, -14, -2.5), 2, pal.Glass, pal);
    for (int k = 0; k < 3; ++k) {
      p.setPen(selected ? pal.Accent : pal.PrintDim);
      const double x = plate.right() - 10 + k * 2.5;
      p.drawLine(QPointF(x, plate.top() + 4), QPointF(x, plate.bottom() - 4));
    }
  });
}

bool PaintRack(const TArtContext& c, const QString& folder, const TStylePalette& pal) {
  bool ok = true;
  auto save = [&](const QImage& image, const char* name) { ok &= c.SaveBmp(image, folder + QLatin1String(name)); };
  save(PaintNoteButtons(pal), "NoteBtn.bmp");
  save(PaintPosLeds(pal), "PosLed.bmp");
  save(PaintNameButtons(pal), "SetBtn.bmp");
  save(PaintMuteButtons(pal), "MuteBtn.bmp");
  save(PaintSelectButtons(pal), "SelectBtn.bmp");
  save(PaintZipped(pal), "Zipped.bmp");
  return ok;
}

VS_ART("style-default-rack", [](const TArtContext& c) {
  return PaintRack(c, QStringLiteral("Styles/Default/"), DarkPalette());
});

VS_ART("style-light-rack", [](const TArtContext& c) {
  return PaintRack(c, QStringLiteral("Styles/Light/"), LightPalette());
});

}  // namespace
}  // namespace vs::art
