// The main window's pictures of the shipped styles: caption, menu line and
// titles, the control panel with its displays, scope and fader slots, the
// info bar, the rack's background and side strips, and the small parts that
// sit on the panel (edit-mode keys, up-downs, digits, meter, fader caps,
// sync lamp). The transport keys, the pattern pad and the wheels are the
// instrument's own keys and knobs (ButtonArt, WheelArt); the panel gives
// them wells of the panel face. The dark default style holds every file;
// the light style redraws the surfaces and takes the keys, knobs, displays
// and the editors' pictures from the default style.

#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

#include "tools/datagen/StyleLayout.h"
#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

using namespace vs::datagen;

const TLayoutRect& PanelPlace(const char* name) {
  for (const TLayoutPlace& p : PanelPlaces)
    if (std::string(p.Name) == name) return p.Rect;
  static const TLayoutRect none{0, 0, 0, 0};
  return none;
}

QRect R(const TLayoutRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

// ------------------------------------------------------------- the panel

// A fader's slot and scale, printed on the panel under the fader.
void PaintFaderSlot(QPainter& p, const QRect& place, const QString& label, const TStylePalette& pal) {
  const double cx = place.left() + place.width() / 2.0;
  // A scale at the left of the slot (the knob travels 5 px from each end).
  const int top = place.top() + 5, bottom = place.bottom() - 5;
  p.save();
  p.setPen(QPen(pal.PrintDim, 1));
  for (int i = 0; i <= 4; ++i) {
    const double y = std::round(top + (bottom - top) * i / 4.0) + 0.5;
    const double len = i == 0 || i == 4 ? 4.0 : 2.5;
    p.drawLine(QPointF(place.left() + 0.5, y), QPointF(place.left() + 0.5 + len, y));
  }
  p.restore();
  Recess(p, QRectF(cx - 1.5, top - 1, 3, bottom - top + 2), 1.5, pal.Slot, pal);
  Print(p, QRectF(place.left() - 2, place.bottom() + 2, place.width() + 4, 10), label, 6, pal);
}

// The panel face under a group of keys, sunk into the surface.
void KeyWell(QPainter& p, const QRect& keys, const TStylePalette& pal) {
  Recess(p, QRectF(keys).adjusted(-2, -2, 2, 2), 3.5, PanelFace, pal);
}

void PaintLcdWindow(QPainter& p, const QRect& digits, const TStylePalette& pal) {
  Recess(p, QRectF(digits).adjusted(-3, -3, 3, 3), 3, pal.Glass, pal);
}

// The control panel ("MenuBack.bmp"): everything that is printed, engraved
// or recessed; the controls are laid over it.
QImage PaintPanel(const TStylePalette& pal) {
  QImage img = NewPicture(MainWidth, PanelHeight, pal.PanelBottom);
  QPainter p(&img);
  Smooth(p);
  FillPanel(p, img.rect(), pal);
  Bevel(p, img.rect(), pal, false);

  // Section grooves.
  for (int x : PanelDividers) {
    p.setPen(pal.EdgeDark);
    p.drawLine(QPointF(x + 0.5, 8), QPointF(x + 0.5, PanelHeight - 8));
    p.setPen(pal.EdgeLight);
    p.drawLine(QPointF(x + 1.5, 8), QPointF(x + 1.5, PanelHeight - 8));
  }
  Screw(p, QPointF(6, 6), pal);
  Screw(p, QPointF(6, PanelHeight - 7), pal);
  Screw(p, QPointF(MainWidth - 7, PanelHeight - 7), pal);

  // Logo.
  const QRect logo = R(PanelPlace("LogoZone"));
  {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    p.setFont(f);
    const QColor lit = pal.Accent;
    p.setPen(pal.Light ? QColor(255, 255, 255, 160) : QColor(0, 0, 0, 170));
    p.drawText(logo.translated(0, pal.Light ? 1 : -1).adjusted(6, 0, 0, -8), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vorbel"));
    p.setPen(pal.Print);
    p.drawText(logo.adjusted(6, 0, 0, -8), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vorbel"));
    const int vorbel = QFontMetrics(f).horizontalAdvance(QStringLiteral("Vorbel"));
    p.setPen(lit);
    p.drawText(logo.adjusted(6 + vorbel, 0, 0, -8), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Steps"));
    Print(p, QRectF(logo.left() + 6, logo.bottom() - 9, logo.width(), 9), QStringLiteral("DRUM MACHINE"), 7, pal,
          Qt::AlignLeft | Qt::AlignVCenter, true, &pal.PrintDim);
  }

  // Transport and edit-mode captions.
  // Wells of the panel face for the instrument's keys (they are drawn over
  // that face, whatever the style's surface).
  for (const char* keys : {"StartButton", "LoopButton", "ScopeButton", "PatPad", "PatUpDown", "BPMUpDown"})
    KeyWell(p, R(PanelPlace(keys)), pal);
  KeyWell(p, R(PanelPlace("FXVolBtn")).united(R(PanelPlace("FXNoteBtn"))), pal);

  // Pattern and tempo displays.
  const QRect patDig = R(PanelPlace("PatNumDig")), bpmDig = R(PanelPlace("BPMDig"));
  Print(p, QRectF(patDig.left() - 2, 6, 60, 10), QStringLiteral("PATTERN"), 7, pal, Qt::AlignLeft | Qt::AlignVCenter);
  Print(p, QRectF(bpmDig.left() - 2, 6, 60, 10), QStringLiteral("TEMPO"), 7, pal, Qt::AlignLeft | Qt::AlignVCenter);
  PaintLcdWindow(p, patDig, pal);
  PaintLcdWindow(p, bpmDig, pal);
  Print(p, QRectF(bpmDig.left() - 2, bpmDig.bottom() + 4, 40, 8), QStringLiteral("BPM"), 6, pal,
        Qt::AlignLeft | Qt::AlignVCenter, true, &pal.PrintDim);
  const QRect sync = R(PanelPlace("MIDISyncLED"));
  Print(p, QRectF(sync.right() + 4, sync.top() - 1, 44, sync.height() + 2), QStringLiteral("MIDI SYNC"), 6, pal,
        Qt::AlignLeft | Qt::AlignVCenter);

  // Scope glass with its graticule.
  const QRect scope = R(PanelPlace("MixScope"));
  Recess(p, QRectF(scope).adjusted(-3, -3, 3, 3), 4, pal.GlassEdge, pal);
  p.fillRect(scope, pal.Glass);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  QColor grid = pal.Light ? QColor(60, 80, 84) : QColor(28, 46, 44);
  p.setPen(QPen(grid, 1, Qt::DotLine));
  for (int i = 1; i < 8; ++i) {
    const int x = scope.left() + scope.width() * i / 8;
    p.drawLine(x, scope.top(), x, scope.bottom());
  }
  for (int i = 1; i < 4; ++i) {
    const int y = scope.top() + scope.height() * i / 4;
    p.drawLine(scope.left(), y, scope.right(), y);
  }
  p.setPen(QPen(grid.lighter(140), 1));
  p.drawLine(scope.left(), scope.center().y(), scope.right(), scope.center().y());
  p.restore();
  const QRect meter = R(PanelPlace("MixVolumeter"));
  Recess(p, QRectF(meter).adjusted(-2, -2, 2, 2), 2, pal.Glass, pal);
  Print(p, QRectF(meter.left(), meter.bottom() + 2, meter.width(), 9), QStringLiteral("L   OUTPUT   R"), 6, pal,
        Qt::AlignCenter, true, &pal.PrintDim);
  const QRect scopeBtn = R(PanelPlace("ScopeButton"));
  // Below the key's well, not across its rim; the panel's edge is close.
  Print(p, QRectF(scopeBtn.left() - 4, scopeBtn.bottom() + 2.5, 30, 7), QStringLiteral("SCOPE"), 6, pal,
        Qt::AlignCenter, true, &pal.PrintDim);

  // Faders.
  const char* const faders[] = {"MainVolSlider", "ShuffleSlider", "MainPitchSlider", "MainResoSlider",
                                "MainCutOffSlider"};
  const char* const labels[] = {"VOL", "SWG", "PIT", "RES", "CUT"};
  for (int i = 0; i < 5; ++i) PaintFaderSlot(p, R(PanelPlace(faders[i])), QString::fromLatin1(labels[i]), pal);
  return img;
}

// The part of the panel under a control (controls that draw themselves
// over the panel carry it in their pictures).
QImage PanelUnder(const QImage& panel, const QRect& r) { return panel.copy(r); }

// Frames of a button that sits on the panel: the panel under it, then the
// button drawn by paint(painter, frame rect, frame index).
QImage PanelButtonStrip(const QImage& panel, const QRect& place, int frames,
                        const std::function<void(QPainter&, const QRectF&, int)>& paint) {
  QImage strip = NewPicture(place.width() * frames, place.height(), Qt::black);
  QPainter p(&strip);
  Smooth(p);
  const QImage under = PanelUnder(panel, place);
  for (int i = 0; i < frames; ++i) {
    p.drawImage(i * place.width(), 0, under);
    p.save();
    p.setClipRect(QRect(i * place.width(), 0, place.width(), place.height()));
    paint(p, QRectF(i * place.width(), 0, place.width(), place.height()), i);
    p.restore();
  }
  return strip;
}

QImage PaintFXButtons() {
  // The instrument's keys (up, and down lit) with the edit modes' marks:
  // volume / pan, pitch / mix, the step graph and the piano roll.
  const QRect place = R(PanelPlace("FXVolBtn"));
  return FrameStrip(place.width(), place.height(), 8, PanelFace, false, [&](QPainter& p, const QRect& frame, int i) {
    const QRectF r = QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5);
    const int button = i / 2;
    const bool down = i % 2;
    PaintKey(p, r, down);
    const QColor ink = down ? Amber : Ink;
    const QPointF c = r.center() + QPointF(0, down ? 0.6 : -0.5);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (button) {
      case 0:  // volume / pan: two bars and a balance mark
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(c.x() - 6, c.y() - 1, 3, 5));
        p.drawRect(QRectF(c.x() - 2, c.y() - 4, 3, 8));
        p.setPen(QPen(ink, 1.3));
        p.drawLine(c + QPointF(3, 2), c + QPointF(8, 2));
        p.drawLine(c + QPointF(5.5, -3), c + QPointF(5.5, 5));
        break;
      case 1: {  // pitch / mix: a rising wave
        QPainterPath wave;
        wave.moveTo(c + QPointF(-7, 3));
        for (int k = 1; k <= 14; ++k) {
          const double x = -7 + k;
          wave.lineTo(c + QPointF(x, 3 - k * 0.45 - 2.2 * std::sin(k * 0.9)));
        }
        p.drawPath(wave);
        break;
      }
      case 2: {  // step graph: bars of different heights
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        const double h[] = {3, 7, 5, 9, 4};
        for (int k = 0; k < 5; ++k) p.drawRect(QRectF(c.x() - 7 + k * 3, c.y() + 4.5 - h[k], 2, h[k]));
        break;
      }
      default: {  // piano roll: keys
        p.setPen(QPen(ink, 1));
        p.drawRect(QRectF(c.x() - 7.5, c.y() - 4.5, 15, 9));
        for (int k = 1; k < 5; ++k) p.drawLine(QPointF(c.x() - 7.5 + k * 3, c.y() - 4.5), QPointF(c.x() - 7.5 + k * 3, c.y() + 4.5));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int k : {1, 2, 4}) p.drawRect(QRectF(c.x() - 8.5 + k * 3, c.y() - 4.5, 2, 5));
        break;
      }
    }
  });
}

QImage PaintSyncLed(const QImage& panel, const TStylePalette& pal) {
  const QRect place = R(PanelPlace("MIDISyncLED"));
  return PanelButtonStrip(panel, place, 3, [&](QPainter& p, const QRectF& r, int state) {
    const QColor colour = state == 2 ? QColor(255, 70, 50) : pal.Accent;
    Lamp(p, r.center(), 3.2, colour, state > 0, pal);
  });
}

QImage PaintDigits() {
  const TStylePalette pal = DarkPalette();
  const QRect place = R(PanelPlace("PatNumDig"));
  const int w = place.width() / 3, h = place.height();
  const QColor lit = AmberHot.darker(108);
  const QColor dark = QColor(40, 30, 22);
  return FrameStrip(w, h, 11, Qt::black, false, [&](QPainter& p, const QRect& r, int i) {
    p.fillRect(r, pal.Glass);
    SevenSegment(p, QRectF(r).adjusted(1.5, 2, -1.5, -2), i - 1, lit, dark);
  });
}

QImage PaintUpDown() {
  // One picture per state: the up key, the grip and the down key; the
  // control clips each zone out of it.
  const QRect place = R(PanelPlace("PatUpDown"));
  return FrameStrip(place.width(), place.height(), 2, PanelFace, false, [&](QPainter& p, const QRect& frame, int pressed) {
    const QRectF r(frame);
    const double gripTop = (r.height() - 6) / 2;
    const QRectF up(r.left(), r.top(), r.width(), gripTop - 1), grip(r.left(), r.top() + gripTop - 1, r.width(), 8),
        down(r.left(), r.top() + gripTop + 7, r.width(), r.height() - gripTop - 7);
    for (const QRectF& zone : {up, down}) PaintKey(p, zone.adjusted(0.5, 0.5, -0.5, -0.5), pressed);
    PaintArrow(p, QRectF(up.center().x() - 3.5, up.center().y() - 2.5, 7, 4.5), TArrow::Up, pressed ? Amber : Ink);
    PaintArrow(p, QRectF(down.center().x() - 3.5, down.center().y() - 1.5, 7, 4.5), TArrow::Down,
               pressed ? Amber : Ink);
    // Grip: three ridges.
    for (int k = 0; k < 3; ++k) {
      const double y = grip.top() + 2 + k * 2;
      p.setPen(pressed ? Amber.darker(130) : QColor(0x0C, 0x0D, 0x0F));
      p.drawLine(QPointF(grip.left() + 3, y + 0.5), QPointF(grip.right() - 3, y + 0.5));
    }
  });
}

QImage PaintVolumeter() {
  const TStylePalette pal = DarkPalette();
  const QRect place = R(PanelPlace("MixVolumeter"));
  const int w = place.width(), h = place.height() / 2;
  return FrameStrip(w, h, 2, Qt::black, false, [&](QPainter& p, const QRect& r, int lit) {
    p.fillRect(r, pal.Glass);
    const int segments = w / 4;
    for (int s = 0; s < segments; ++s) {
      const double t = s / double(segments - 1);
      QColor c = t < 0.7 ? QColor(80, 220, 120) : t < 0.88 ? QColor(255, 190, 60) : QColor(255, 70, 50);
      if (!lit) c = QColor(c.red() / 5 + 10, c.green() / 5 + 10, c.blue() / 5 + 12);
      p.fillRect(QRectF(r.left() + s * 4 + 0.5, r.top() + 0.5, 3, h - 1), c);
    }
  });
}

// Fader caps: at rest, disabled, dragged (lit).
QImage PaintFaderCaps(int w, int h, bool vertical) {
  return FrameStrip(w, h, 3, PanelFace, true, [&](QPainter& p, const QRect& r, int state) {
    PaintFaderCap(p, QRectF(r), vertical, state != 1, state == 2);
  });
}

// ------------------------------------------------- caption, menu, info bar

QImage PaintTitleBar(const TStylePalette& pal, bool active) {
  QImage img = NewPicture(MainWidth, TitleHeight, Qt::black);
  QPainter p(&img);
  Smooth(p);
  QLinearGradient g(0, 0, 0, TitleHeight);
  const QColor top = active ? (pal.Light ? QColor(200, 204, 210) : QColor(62, 66, 74)) : pal.PanelBottom;
  const QColor bottom = active ? (pal.Light ? QColor(166, 170, 178) : QColor(32, 34, 39)) : pal.PanelBottom.darker(110);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(img.rect(), g);
  Bevel(p, img.rect(), pal, false);
  // Lamp and name at the left.
  Lamp(p, QPointF(11, TitleHeight / 2.0), 3.0, pal.Accent, active, pal);
  Print(p, QRectF(20, 0, 100, TitleHeight), QStringLiteral("VorbelSteps"), 11, pal, Qt::AlignLeft | Qt::AlignVCenter,
        true, active ? nullptr : &pal.PrintDim);
  // Ridges between the name and the caption text, as on a rack handle.
  for (int k = 0; k < 3; ++k) {
    p.setPen(pal.EdgeDark);
    p.drawLine(QPointF(112 + k * 4 + 0.5, 5), QPointF(112 + k * 4 + 0.5, TitleHeight - 5));
    p.setPen(pal.EdgeLight);
    p.drawLine(QPointF(113 + k * 4 + 0.5, 5), QPointF(113 + k * 4 + 0.5, TitleHeight - 5));
  }
  // The buttons' well, the same on both pictures.
  const QRectF well(CaptionPlaces[1].Rect.Left - 3, 2, 2 * 13 + 4 + 6, TitleHeight - 4);
  Recess(p, well, 3, PanelDeep, pal);
  return img;
}

QImage PaintMinClose() {
  // Minimise (up, down) and close (up, down): small keys in the caption's
  // well.
  return FrameStrip(13, 13, 4, PanelDeep, false, [&](QPainter& p, const QRect& frame, int i) {
    const bool down = i % 2;
    const QRectF r = QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5);
    PaintKey(p, r, down);
    const QPointF c = r.center() + QPointF(0, down ? 0.5 : -0.3);
    p.setPen(QPen(i < 2 ? (down ? Amber : Ink) : QColor(255, 110, 90), 1.5, Qt::SolidLine, Qt::RoundCap));
    if (i < 2) {
      p.drawLine(c + QPointF(-2.8, 2.2), c + QPointF(2.8, 2.2));
    } else {
      p.drawLine(c + QPointF(-2.4, -2.4), c + QPointF(2.4, 2.4));
      p.drawLine(c + QPointF(-2.4, 2.4), c + QPointF(2.4, -2.4));
    }
  });
}

QImage PaintMenuLine(const TStylePalette& pal) {
  QImage img = NewPicture(MainWidth, MenuLineHeight, Qt::black);
  QPainter p(&img);
  Smooth(p);
  QLinearGradient g(0, 0, 0, MenuLineHeight);
  g.setColorAt(0, pal.Light ? QColor(190, 194, 200) : QColor(40, 42, 47));
  g.setColorAt(1, pal.Light ? QColor(172, 176, 183) : QColor(28, 30, 34));
  p.fillRect(img.rect(), g);
  p.setPen(pal.EdgeDark);
  p.drawLine(0, MenuLineHeight - 1, MainWidth, MenuLineHeight - 1);
  p.setPen(pal.EdgeLight);
  p.drawLine(0, 0, MainWidth, 0);
  return img;
}

QImage PaintMenuItems(const TStylePalette& pal, const QImage& menuLine) {
  // The titles' plates, at rest and lit; the bar writes the titles (in the
  // chosen language) over them.
  const QRect bar(MenuBar.Left, MenuBar.Top, MenuBar.Width, MenuBar.Height);
  const QImage under = menuLine.copy(bar);
  return FrameStrip(bar.width(), bar.height(), 2, Qt::black, false, [&](QPainter& p, const QRect& r, int lit) {
    p.drawImage(r.topLeft(), under);
    for (int t = 0; t < MenuTitles; ++t) {
      const QRectF title(r.left() + MenuTitleLeft(t) + 1, r.top() + 2, MenuTitleWidths[t] - 2, r.height() - 4);
      if (lit) {
        QLinearGradient g(title.topLeft(), title.bottomLeft());
        g.setColorAt(0, pal.Accent.lighter(105));
        g.setColorAt(1, pal.Accent.darker(125));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(title, 3, 3);
      } else {
        p.setPen(QPen(pal.Light ? QColor(150, 154, 160) : QColor(52, 55, 61), 1));
        p.drawLine(QPointF(title.right() + 1.5, title.top() + 2), QPointF(title.right() + 1.5, title.bottom() - 2));
      }
    }
  });
}

QImage PaintBottomLine(const TStylePalette& pal) {
  QImage img = NewPicture(MainWidth, BottomHeight, Qt::black);
  QPainter p(&img);
  Smooth(p);
  FillPanel(p, img.rect(), pal, 60);
  Bevel(p, img.rect(), pal, false);
  const TLayoutRect& info = BottomPlaces[0].Rect;
  Recess(p, QRectF(info.Left - 4, info.Top, info.Width + 6, info.Height), 3, pal.Glass, pal);
  return img;
}

QImage PaintBack(const TStylePalette& pal) {
  // A tile of the rack: a fine vertical grain that repeats every 64 pixels.
  QImage img = NewPicture(64, 64, pal.Rack);
  QPainter p(&img);
  for (int x = 0; x < 64; ++x) {
    uint32_t h = static_cast<uint32_t>(x + 17) * 2246822519u;
    h ^= h >> 15;
    const int n = static_cast<int>(h % 5) - 2;
    const QColor c(std::clamp(pal.Rack.red() + n, 0, 255), std::clamp(pal.Rack.green() + n, 0, 255),
                   std::clamp(pal.Rack.blue() + n, 0, 255));
    p.setPen(c);
    p.drawLine(x, 0, x, 63);
  }
  return img;
}

QImage PaintSide(const TStylePalette& pal, bool left) {
  QImage img = NewPicture(SideWidth, 64, Qt::black);
  QPainter p(&img);
  QLinearGradient g(0, 0, SideWidth, 0);
  const QColor outer = pal.Light ? QColor(150, 154, 160) : QColor(18, 19, 22);
  const QColor inner = pal.Light ? QColor(214, 217, 222) : QColor(58, 61, 68);
  g.setColorAt(0, left ? outer : inner);
  g.setColorAt(1, left ? inner : outer);
  p.fillRect(img.rect(), g);
  // A screw hole every 64 pixels, like rack ears.
  Smooth(p);
  p.setPen(Qt::NoPen);
  p.setBrush(pal.EdgeDark);
  p.drawRoundedRect(QRectF(SideWidth / 2.0 - 1.5, 28, 3, 8), 1.5, 1.5);
  p.setPen(left ? pal.EdgeDark : pal.EdgeLight);
  p.drawLine(left ? SideWidth - 1 : 0, 0, left ? SideWidth - 1 : 0, 63);
  return img;
}

// The surfaces, drawn for each style.
bool PaintSurfaces(const TArtContext& c, const QString& folder, const TStylePalette& pal) {
  const QImage panel = PaintPanel(pal);
  const QImage menuLine = PaintMenuLine(pal);
  bool ok = true;
  auto save = [&](const QImage& image, const char* name) { ok &= c.SaveBmp(image, folder + QLatin1String(name)); };
  save(panel, "MenuBack.bmp");
  save(PaintTitleBar(pal, true), "TitleBar.bmp");
  save(PaintTitleBar(pal, false), "TitleBar_Off.bmp");
  save(menuLine, "MenuLine.bmp");
  save(PaintMenuItems(pal, menuLine), "MenuItems.bmp");
  save(PaintBottomLine(pal), "BottomLine.bmp");
  save(PaintBack(pal), "back.bmp");
  save(PaintSide(pal, true), "LeftSide.bmp");
  save(PaintSide(pal, false), "RightSide.bmp");
  save(PaintSyncLed(panel, pal), "MIDISync.bmp");
  return ok;
}

// The parts that look the same in every style.
bool PaintParts(const TArtContext& c, const QString& folder) {
  bool ok = true;
  auto save = [&](const QImage& image, const char* name) { ok &= c.SaveBmp(image, folder + QLatin1String(name)); };
  save(PaintMinClose(), "MinClose.bmp");
  save(PaintFXButtons(), "FX_Btns.bmp");
  save(PaintDigits(), "digits.bmp");
  save(PaintUpDown(), "UpDown.bmp");
  save(PaintVolumeter(), "Volumeter.bmp");
  save(PaintFaderCaps(18, 11, true), "VolSliderKnob.bmp");
  save(PaintFaderCaps(11, 18, false), "HSliderKnob.bmp");
  return ok;
}

VS_ART("style-default-main", [](const TArtContext& c) {
  const QString folder = QStringLiteral("Styles/Default/");
  return PaintSurfaces(c, folder, DarkPalette()) && PaintParts(c, folder);
});

VS_ART("style-light-main", [](const TArtContext& c) {
  return PaintSurfaces(c, QStringLiteral("Styles/Light/"), LightPalette());
});

}  // namespace
}  // namespace vs::art
