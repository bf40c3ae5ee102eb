// The presentation pictures: the splash "Artwork/Title.jpg" with its mask
// "Artwork/Title_Mask.jpg" (JPEG, as the splash window reads them), the
// about box's logo "Artwork/Logo.bmp", each style's about picture
// "AboutPic.BMP" and the tip dialog's heading "Resources/ReadThis.bmp".
//
// The splash is the instrument's faceplate seen whole: brushed dark metal
// with rounded corners, the name lit in amber, a tempo display, a pair of
// knobs and a row of sixteen step keys playing a beat. Its mask is white
// over the plate and black around it, so the window takes the plate's shape.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "controls/JPEGImage.h"
#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

constexpr int TitleWidth = 480, TitleHeight = 300;
constexpr qreal TitleRadius = 16;
// The beat the step keys show (a kick on the quarters, hats between).
constexpr bool Beat[16] = {1, 0, 0, 1, 1, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 1};

// The name: "Vorbel" in the print colour, "Steps" lit, with a soft glow
// behind the lit half on dark plates. Returns the width drawn.
qreal PaintWordmark(QPainter& p, QPointF baseline, int pixels, const TStylePalette& pal) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(true);
  f.setLetterSpacing(QFont::AbsoluteSpacing, -pixels / 40.0);
  const QFontMetricsF m(f);
  const qreal vorbel = m.horizontalAdvance(QStringLiteral("Vorbel"));
  const qreal steps = m.horizontalAdvance(QStringLiteral("Steps"));
  p.save();
  Smooth(p);
  if (!pal.Light) {
    // The glow of the lit letters on the plate.
    const QPointF c(baseline.x() + vorbel + steps / 2, baseline.y() - m.capHeight() / 2);
    // An elliptic glow: a round one squeezed to the letters' height.
    const qreal rx = steps * 0.75, ry = m.capHeight() * 1.3;
    QRadialGradient glow(QPointF(0, 0), rx);
    QColor a = pal.Accent;
    a.setAlpha(62);
    glow.setColorAt(0, a);
    a.setAlpha(24);
    glow.setColorAt(0.55, a);
    a.setAlpha(0);
    glow.setColorAt(1, a);
    p.save();
    p.translate(c);
    p.scale(1, ry / rx);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), rx, rx);
    p.restore();
  }
  QPainterPath text;
  text.addText(baseline, f, QStringLiteral("Vorbel"));
  QPainterPath lit;
  lit.addText(baseline + QPointF(vorbel, 0), f, QStringLiteral("Steps"));
  // Relief, then the faces: the print colour brushed lighter at the top,
  // the lit half in amber turning hot at its centre.
  p.setPen(Qt::NoPen);
  p.setBrush(pal.Light ? QColor(255, 255, 255, 170) : QColor(0, 0, 0, 190));
  p.drawPath(text.translated(0, pal.Light ? 1.2 : 1.6));
  p.drawPath(lit.translated(0, pal.Light ? 1.2 : 1.6));
  QLinearGradient face(0, baseline.y() - m.ascent(), 0, baseline.y());
  face.setColorAt(0, pal.Print.lighter(pal.Light ? 100 : 118));
  face.setColorAt(1, pal.Print.darker(pal.Light ? 100 : 112));
  p.setBrush(face);
  p.drawPath(text);
  QLinearGradient amber(0, baseline.y() - m.ascent(), 0, baseline.y());
  amber.setColorAt(0, pal.Light ? pal.Accent : AmberHot);
  amber.setColorAt(0.55, pal.Accent);
  amber.setColorAt(1, pal.Accent.darker(125));
  p.setBrush(amber);
  p.drawPath(lit);
  p.restore();
  return vorbel + steps;
}

// A step key of the sequencer, dark or lit.
void StepKey(QPainter& p, const QRectF& r, bool lit, bool accent, const TStylePalette& pal) {
  p.save();
  Smooth(p);
  p.setPen(Qt::NoPen);
  p.setBrush(pal.EdgeDark);
  p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), 3.5, 3.5);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  if (lit) {
    g.setColorAt(0, AmberHot);
    g.setColorAt(0.35, pal.Accent.lighter(accent ? 112 : 100));
    g.setColorAt(1, pal.Accent.darker(135));
  } else {
    const QColor cell = accent ? pal.CellOdd : pal.Cell;
    g.setColorAt(0, cell.lighter(118));
    g.setColorAt(1, cell.darker(125));
  }
  p.setBrush(g);
  p.drawRoundedRect(r, 3, 3);
  if (lit && !pal.Light) {
    // The light the key throws on the plate around it.
    QRadialGradient glow(r.center(), r.width() * 1.3);
    QColor a = pal.Accent;
    a.setAlpha(60);
    glow.setColorAt(0, a);
    a.setAlpha(0);
    glow.setColorAt(1, a);
    p.setBrush(glow);
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    p.drawEllipse(r.center(), r.width() * 1.3, r.height() * 1.0);
  }
  p.restore();
}

// The sixteen step keys in groups of four, lamps of the beat above them.
void StepRow(QPainter& p, qreal left, qreal top, qreal key, qreal height, const TStylePalette& pal) {
  const qreal gap = 4, groupGap = 10;
  for (int i = 0; i < 16; ++i) {
    const qreal x = left + i * (key + gap) + (i / 4) * (groupGap - gap);
    Lamp(p, QPointF(x + key / 2, top - 9), 2.6, pal.Accent, i % 4 == 0, pal);
    StepKey(p, QRectF(x, top, key, height), Beat[i], (i / 4) % 2 == 1, pal);
  }
}

// Four screws in the corners of a plate.
void Screws(QPainter& p, const QRectF& r, qreal inset, const TStylePalette& pal) {
  for (const QPointF c : {r.topLeft() + QPointF(inset, inset), r.topRight() + QPointF(-inset, inset),
                          r.bottomLeft() + QPointF(inset, -inset), r.bottomRight() + QPointF(-inset, -inset)})
    Screw(p, c, pal, 3.6);
}

// A display window with a number in seven-segment digits and a caption.
void TempoDisplay(QPainter& p, const QRectF& r, int value, const TStylePalette& pal) {
  Recess(p, r, 4, pal.Glass, pal);
  const qreal w = (r.width() - 16) / 3, h = r.height() - 12;
  const int digits[3] = {value / 100 % 10, value / 10 % 10, value % 10};
  for (int i = 0; i < 3; ++i)
    SevenSegment(p, QRectF(r.left() + 8 + i * w, r.top() + 6, w - 3, h), digits[i], pal.Accent,
                 QColor(pal.Accent.red() / 6, pal.Accent.green() / 7, pal.Accent.blue() / 8));
}

QImage TitlePicture() {
  const TStylePalette pal = DarkPalette();
  QImage img = NewPicture(TitleWidth, TitleHeight, QColor(0, 0, 0));
  QPainter p(&img);
  Smooth(p);
  const QRectF plate(0.5, 0.5, TitleWidth - 1.0, TitleHeight - 1.0);
  // The plate: brushed metal inside the rounded outline, a lit rim.
  {
    QImage metal = NewPicture(TitleWidth, TitleHeight, pal.PanelBottom);
    QPainter m(&metal);
    FillPanel(m, metal.rect(), pal, -20);
    m.end();
    QPainterPath outline;
    outline.addRoundedRect(plate, TitleRadius, TitleRadius);
    p.setClipPath(outline);
    p.drawImage(0, 0, metal);
    // A light falling from above onto the plate.
    QRadialGradient light(QPointF(TitleWidth * 0.45, -40), TitleWidth * 0.8);
    light.setColorAt(0, QColor(255, 255, 255, 26));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(img.rect(), light);
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal.EdgeLight, 1.2));
    p.drawRoundedRect(plate.adjusted(1, 1, -1, -1), TitleRadius - 1, TitleRadius - 1);
    p.setPen(QPen(pal.EdgeDark, 1.4));
    p.drawRoundedRect(plate, TitleRadius, TitleRadius);
  }
  Screws(p, plate, 12, pal);

  // Top band: tempo display, two knobs and the output lamps.
  TempoDisplay(p, QRectF(34, 30, 70, 36), 124, pal);
  Print(p, QRectF(34, 70, 70, 10), QStringLiteral("TEMPO"), 7, pal, Qt::AlignCenter, true, &pal.PrintDim);
  PaintKnob(p, QRectF(356, 26, 40, 40), 0.62);
  PaintKnob(p, QRectF(408, 26, 40, 40), 0.35);
  Print(p, QRectF(346, 70, 60, 10), QStringLiteral("SWING"), 7, pal, Qt::AlignCenter, true, &pal.PrintDim);
  Print(p, QRectF(398, 70, 60, 10), QStringLiteral("VOLUME"), 7, pal, Qt::AlignCenter, true, &pal.PrintDim);
  for (int i = 0; i < 8; ++i) Lamp(p, QPointF(148 + i * 22, 48), 3.2, i < 5 ? pal.Accent : QColor(220, 60, 40), i < 6, pal);
  Print(p, QRectF(138, 60, 176, 10), QStringLiteral("L   OUTPUT   R"), 6, pal, Qt::AlignCenter, true, &pal.PrintDim);

  // The name across the middle, on a groove.
  p.setPen(QPen(pal.EdgeDark, 1));
  p.drawLine(QPointF(30, 96.5), QPointF(TitleWidth - 30, 96.5));
  p.setPen(QPen(pal.EdgeLight, 1));
  p.drawLine(QPointF(30, 97.5), QPointF(TitleWidth - 30, 97.5));
  {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(58);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, -58 / 40.0);
    const QFontMetricsF fm(f);
    const qreal width = fm.horizontalAdvance(QStringLiteral("VorbelSteps"));
    PaintWordmark(p, QPointF((TitleWidth - width) / 2, 162), 58, pal);
  }
  Print(p, QRectF(0, 172, TitleWidth, 14), QStringLiteral("DRUM MACHINE  \u00B7  STEP SEQUENCER"), 10, pal,
        Qt::AlignCenter, true, &pal.PrintDim);

  // The step keys on a recessed strip.
  Recess(p, QRectF(26, 208, TitleWidth - 52, 66), 6, pal.Rack, pal);
  StepRow(p, 42, 230, 20, 30, pal);
  p.end();
  return img;
}

QImage TitleMask() {
  QImage mask = NewPicture(TitleWidth, TitleHeight, Qt::black);
  QPainter p(&mask);
  Smooth(p);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(0.5, 0.5, TitleWidth - 1.0, TitleHeight - 1.0), TitleRadius, TitleRadius);
  p.end();
  return mask;
}

TRGBPicture ToRGB(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  TRGBPicture picture;
  picture.Width = rgb.width();
  picture.Height = rgb.height();
  picture.Pixels.resize(size_t(picture.Width) * picture.Height * 3);
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(picture.Pixels.data() + size_t(y) * picture.Width * 3, rgb.constScanLine(y), size_t(picture.Width) * 3);
  return picture;
}

bool SaveJPEG(const TArtContext& c, const QImage& image, const QString& path, bool grey) {
  try {
    const std::string bytes = EncodeJPEG(ToRGB(image), grey ? 95 : 92, grey);
    return c.SaveBytes(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), path);
  } catch (const EJPEGError& e) {
    std::fprintf(stderr, "vs_artgen: %s: %s\n", qPrintable(path), e.what());
    return false;
  }
}

// The about box's logo: the name over the panel colour, keyed around it.
QImage Logo() {
  const TStylePalette pal = DarkPalette();
  QImage art = Canvas(200, 40);
  QPainter p(&art);
  PaintWordmark(p, QPointF(2, 30), 29, pal);
  p.end();
  return Flatten(art, QColor(0x26, 0x29, 0x2e), true);
}

// The about box's picture of a style: a strip of its faceplate with the
// step keys and a display, as wide as the box.
QImage AboutPicture(const TStylePalette& pal) {
  constexpr int W = 440, H = 84;
  QImage img = NewPicture(W, H, pal.PanelBottom);
  QPainter p(&img);
  Smooth(p);
  FillPanel(p, img.rect(), pal, -30);
  Bevel(p, img.rect(), pal, false);
  Screws(p, QRectF(0, 0, W, H), 8, pal);
  TempoDisplay(p, QRectF(24, 18, 62, 32), 124, pal);
  Print(p, QRectF(24, 54, 62, 10), QStringLiteral("TEMPO"), 7, pal, Qt::AlignCenter, true, &pal.PrintDim);
  Recess(p, QRectF(104, 16, 312, 52), 5, pal.Rack, pal);
  StepRow(p, 114, 34, 14, 24, pal);
  p.end();
  return img;
}

// The tip dialog's heading: a lit lamp and a short row of step keys, the
// first ones lit, on the panel (no words: the dialog speaks every language).
QImage ReadThis() {
  const TStylePalette pal = DarkPalette();
  QImage img = NewPicture(209, 28, QColor(0x26, 0x29, 0x2e));
  QPainter p(&img);
  Smooth(p);
  Lamp(p, QPointF(13, 14), 7, pal.Accent, true, pal);
  Recess(p, QRectF(30, 7, 176, 14), 3, pal.Rack, pal);
  for (int i = 0; i < 12; ++i)
    StepKey(p, QRectF(35 + i * 14, 10, 10, 8), i < 3 || i == 6, (i / 4) % 2 == 1, pal);
  p.end();
  return img;
}

VS_ART("title", [](const TArtContext& c) {
  return SaveJPEG(c, TitlePicture(), "Artwork/Title.jpg", false) &&
         SaveJPEG(c, TitleMask(), "Artwork/Title_Mask.jpg", true) && c.SaveBmp(Logo(), "Artwork/Logo.bmp") &&
         c.SaveBmp(AboutPicture(DarkPalette()), "Styles/Default/AboutPic.BMP") &&
         c.SaveBmp(AboutPicture(LightPalette()), "Styles/Light/AboutPic.BMP") &&
         c.SaveBmp(ReadThis(), "Resources/ReadThis.bmp");
});

}  // namespace
}  // namespace vs::art
