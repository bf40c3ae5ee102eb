// The control gallery: every control of the library in its states, on the
// instrument's panel, in the default style's pictures.

#include <QPainter>
#include <QRadialGradient>
#include <memory>
#include <vector>

#include "controls/BtnFrames.h"
#include "controls/ImageList.h"
#include "controls/MoveBevel.h"
#include "controls/MyTransBtn.h"
#include "controls/QuickPaintBox.h"
#include "controls/Selector.h"
#include "controls/WAVWheel.h"
#include "core/ProgramPaths.h"
#include "tools/screens/Screens.h"

namespace vs::screens {
namespace {

const QColor Face(0x2B, 0x2E, 0x33);
const QColor Label(0x9A, 0x9F, 0xA8);
const QColor Title(0xD9, 0xDC, 0xE1);
const QColor Amber(0xF2, 0x9A, 0x2E);

// The panel: a brushed dark face, engraved section titles and the small
// labels under the controls.
class TGalleryPanel : public QWidget {
public:
  struct TText {
    QRect Box;
    QString Text;
    bool Section;
  };
  std::vector<TText> Texts;
  std::vector<QRect> Wells;

  void Section(int x, int y, int w, const QString& text) { Texts.push_back({QRect(x, y, w, 14), text, true}); }
  void Caption(int x, int y, int w, const QString& text) { Texts.push_back({QRect(x, y, w, 12), text, false}); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The face is one flat colour: the opaque pictures sit on it seamlessly.
    p.fillRect(rect(), Face);
    // Engraved outlines around groups of controls.
    for (const QRect& w : Wells) {
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(0x3E, 0x42, 0x49), 1));
      p.drawRoundedRect(QRectF(w).adjusted(1.5, 1.5, -0.5, -0.5), 4, 4);
      p.setPen(QPen(QColor(0x14, 0x15, 0x18), 1));
      p.drawRoundedRect(QRectF(w).adjusted(0.5, 0.5, -1.5, -1.5), 4, 4);
    }
    // Screws in the corners.
    for (QPointF c : {QPointF(10, 10), QPointF(width() - 10, 10), QPointF(10, height() - 10),
                      QPointF(width() - 10, height() - 10)}) {
      QRadialGradient screw(c - QPointF(1, 1), 5);
      screw.setColorAt(0, QColor(0x70, 0x75, 0x7E));
      screw.setColorAt(1, QColor(0x24, 0x26, 0x2A));
      p.setPen(QPen(QColor(0x10, 0x11, 0x13), 0.8));
      p.setBrush(screw);
      p.drawEllipse(c, 4, 4);
      p.setPen(QPen(QColor(0x18, 0x19, 0x1C), 1.2));
      p.drawLine(c + QPointF(-2.5, 1.5), c + QPointF(2.5, -1.5));
    }
    for (const TText& t : Texts) {
      QFont font("DejaVu Sans");
      font.setPixelSize(t.Section ? 10 : 9);
      font.setBold(true);
      font.setLetterSpacing(QFont::AbsoluteSpacing, t.Section ? 1.6 : 0.6);
      p.setFont(font);
      if (t.Section) {
        p.setPen(Amber);
        p.drawText(t.Box, Qt::AlignLeft | Qt::AlignVCenter, t.Text);
        const int end = t.Box.left() + QFontMetrics(font).horizontalAdvance(t.Text) + 8;
        p.setPen(QPen(QColor(0x16, 0x17, 0x1A), 1));
        p.drawLine(end, t.Box.center().y(), t.Box.right(), t.Box.center().y());
        p.setPen(QPen(QColor(0x40, 0x44, 0x4B), 1));
        p.drawLine(end, t.Box.center().y() + 1, t.Box.right(), t.Box.center().y() + 1);
      } else {
        p.setPen(Label);
        p.drawText(t.Box, Qt::AlignHCenter | Qt::AlignTop, t.Text);
      }
    }
  }
};

// The picture of the default style's file, or a null picture.
QImage StylePicture(const QString& name) {
  QImage image;
  image.load(QString::fromStdString(ProgramPaths().AppPath) + "Styles/Default/" + name);
  return image;
}

// A strip cut into a list (masked by the key colour, as the skin cuts it)
// and kept alive as long as the panel.
TImageList* KeepList(std::vector<std::unique_ptr<TImageList>>& lists, const QImage& strip, int n) {
  lists.push_back(std::make_unique<TImageList>());
  BitmapToImageList(strip, *lists.back(), n);
  return lists.back().get();
}

// The glyph of a one-column picker of four rows (as an effect-route picker
// shows its buses): both halves drawn here.
QImage RouteGlyph() {
  const int w = 46, h = 64;
  QImage glyph(2 * w, h, QImage::Format_RGB32);
  glyph.fill(Face);
  QPainter p(&glyph);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font("DejaVu Sans");
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  const char* names[] = {"MAIN", "FX 1", "FX 2", "FX 3"};
  for (int half = 0; half < 2; ++half)
    for (int row = 0; row < 4; ++row) {
      const QRectF cell(half * w + 1.5, row * 16 + 1.5, w - 3, 13);
      p.setPen(QPen(half ? QColor(0x80, 0x55, 0x22) : QColor(0x12, 0x13, 0x16), 1));
      p.setBrush(half ? QColor(0x3A, 0x2E, 0x20) : QColor(0x22, 0x25, 0x29));
      p.drawRoundedRect(cell, 2.5, 2.5);
      // A lamp left of the name.
      p.setPen(Qt::NoPen);
      p.setBrush(half ? Amber : QColor(0x45, 0x3A, 0x2C));
      p.drawEllipse(QPointF(cell.left() + 6, cell.center().y()), 2.2, 2.2);
      p.setPen(half ? Amber : Label);
      p.drawText(cell.adjusted(11, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, names[row]);
    }
  return glyph;
}

// The sync lamp: dark, beat or bar.
void PaintLamp(TCanvas& canvas, int state) {
  QPainter& p = canvas.Painter();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(8, 8);
  p.setPen(QPen(QColor(0x0C, 0x0D, 0x0F), 1));
  p.setBrush(QColor(0x1A, 0x1B, 0x1E));
  p.drawEllipse(c, 7, 7);
  QRadialGradient lens(c - QPointF(1.5, 1.5), 7);
  const QColor on = state == 2 ? QColor(0xFF, 0x5A, 0x3A) : Amber;
  if (state == 0) {
    lens.setColorAt(0, QColor(0x4A, 0x3C, 0x2A));
    lens.setColorAt(1, QColor(0x22, 0x1C, 0x15));
  } else {
    lens.setColorAt(0, on.lighter(150));
    lens.setColorAt(0.5, on);
    lens.setColorAt(1, on.darker(200));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(lens);
  p.drawEllipse(c, 5.5, 5.5);
}

// A slider groove with a knob of the default slider lists on it.
void PaintSlider(TCanvas& canvas, int w, int h, bool vertical, int index, int at) {
  TImageList& knob = ResourceImageList(vertical ? "SKnob" : "SKnobH", 2);
  const TRect groove = vertical ? TRect::Sized(w / 2 - 2, 4, 4, h - 8) : TRect::Sized(4, h / 2 - 2, w - 8, 4);
  canvas.FillRect(groove, RGBColor(0x0C, 0x0D, 0x0F));
  DrawFrame3D(canvas, groove.Inflated(1, 1), RGBColor(0x16, 0x17, 0x1A), RGBColor(0x4A, 0x4E, 0x56));
  // The lit part of the groove up to the knob.
  const TColor lit = RGBColor(0xB0, 0x70, 0x24);
  if (vertical) canvas.FillRect({groove.Left + 1, at, groove.Right - 1, groove.Bottom - 1}, lit);
  else canvas.FillRect({groove.Left + 1, groove.Top + 1, at, groove.Bottom - 1}, lit);
  if (vertical) knob.Draw(canvas, (w - knob.Width()) / 2, at - knob.Height() / 2, index);
  else knob.Draw(canvas, at - knob.Width() / 2, (h - knob.Height()) / 2, index);
}

// The up-down's three zones drawn the way it draws them without a list: a
// bevel for each, the arrows of its default list in the outer two.
void PaintUpDown(TCanvas& canvas, int w, int h, int pressedZone) {
  const int gripTop = (h - 6) / 2;
  const int gripBottom = gripTop + 6;
  const auto bevel = [&](TRect r, bool pressed) {
    canvas.FillRect(r.Inflated(1, 1), ClBlack);
    canvas.FillRect({r.Left, r.Top, r.Right - 1, r.Bottom - 1}, 0x00A0A0A0);
    canvas.PenColor = pressed ? 0x00707070 : 0x00E0E0E0;
    canvas.MoveTo(r.Left, r.Bottom - (pressed ? 2 : 3));
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - (pressed ? 1 : 2), r.Top);
    if (!pressed) {
      canvas.SetPixel(r.Left, r.Top, ClWhite);
      canvas.PenColor = 0x00707070;
      canvas.MoveTo(r.Left + 1, r.Bottom - 2);
      canvas.LineTo(r.Right - 2, r.Bottom - 2);
      canvas.LineTo(r.Right - 2, r.Top);
      canvas.SetPixel(r.Left, r.Bottom - 1, 0x00707070);
      canvas.SetPixel(r.Right - 1, r.Top, 0x00707070);
    }
  };
  TImageList& arrows = ResourceImageList("MeroUpDown", 2);
  const TRect up{1, 1, w - 1, gripTop - 1};
  const TRect grip{1, gripTop, w - 1, gripBottom};
  const TRect down{1, gripBottom + 1, w - 1, h - 1};
  bevel(down, pressedZone == 2);
  bevel(grip, pressedZone == 1);
  bevel(up, pressedZone == 0);
  const int ax = (w - arrows.Width()) / 2;
  const int ay = (gripTop - arrows.Height()) / 2;
  arrows.Draw(canvas, ax + (pressedZone == 0), up.Top + ay + (pressedZone == 0), 0);
  arrows.Draw(canvas, ax + (pressedZone == 2), down.Top + ay + (pressedZone == 2), 1);
}

QImage PaintGallery(TScreenContext& c) {
  if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = c.DataDir.toStdString();
  // The lists outlive the panel that shows them.
  std::vector<std::unique_ptr<TImageList>> lists;
  auto panel = std::make_unique<TGalleryPanel>();
  TGalleryPanel* g = panel.get();
  g->setObjectName("ControlGallery");
  g->resize(720, 436);
  QPalette palette = g->palette();
  palette.setColor(QPalette::Window, Face);
  g->setPalette(palette);

  // ---- Wheels: three sizes across their range, and a fixed range.
  TImageList* middle = KeepList(lists, StylePicture("MiddleWheel.bmp"), -23);
  TImageList* small = KeepList(lists, StylePicture("SmallWheel.bmp"), -14);
  TImageList* synth = KeepList(lists, StylePicture("404Wheel.bmp"), -25);
  g->Section(20, 16, 330, "WHEELS");
  g->Wells.push_back(QRect(20, 36, 330, 150));
  const char* names[] = {"MIN", "VOL", "PAN", "SEND", "MAX"};
  const int values[] = {0, 40, 64, 96, 127};
  for (int i = 0; i < 5; ++i) {
    auto* w = new TWAVWheel(g);
    w->SetWheelIL(middle);
    w->SetBorder(false);
    w->SetValue(values[i]);
    w->move(38 + i * 62, 48);
    g->Caption(26 + i * 62, 74, 48, names[i]);
    auto* s = new TWAVWheel(g);
    s->SetWheelIL(synth);
    s->SetBorder(false);
    s->SetValue(values[i]);
    s->move(37 + i * 62, 96);
    auto* t = new TWAVWheel(g);
    t->SetWheelIL(small);
    t->SetBorder(false);
    t->SetValue(values[i]);
    t->move(43 + i * 62, 144);
  }
  g->Caption(26, 124, 48, "CUTOFF");
  g->Caption(88, 124, 48, "RESO");
  g->Caption(150, 124, 48, "ENV");
  g->Caption(212, 124, 48, "DECAY");
  g->Caption(274, 124, 48, "ACCENT");
  g->Caption(20, 162, 330, "small wheels 0 . 40 . 64 . 96 . 127");
  auto* fixed = new TWAVWheel(g);  // Min = Max: frame 0
  fixed->SetWheelIL(middle);
  fixed->SetMin(64);
  fixed->SetMax(64);
  fixed->SetValue(64);
  fixed->move(318, 144);
  fixed->SetBorder(true);
  fixed->setObjectName("FixedWheel");

  // ---- Pattern pad and a route picker.
  g->Section(370, 16, 330, "SELECTORS");
  g->Wells.push_back(QRect(370, 36, 330, 150));
  auto* pad = new TSelector(g);
  pad->setObjectName("PatPad");
  pad->SetGlyph(StylePicture("PatPad.bmp"));
  pad->SetValue(4);
  pad->move(392, 54);
  g->Caption(380, 102, 66, "PATTERN 5");
  auto* pad2 = new TSelector(g);
  pad2->SetGlyph(StylePicture("PatPad.bmp"));
  pad2->SetValue(6);
  pad2->move(466, 54);
  g->Caption(454, 102, 66, "PATTERN 1");
  auto* route = new TSelector(g);
  route->setObjectName("FXRoute");
  route->SetNumCols(1);
  route->SetNumRows(4);
  route->SetGlyph(RouteGlyph());
  route->SetValue(2);
  route->move(546, 48);
  g->Caption(536, 116, 66, "ROUTE");
  // The sync lamp in its three states.
  for (int state = 0; state < 3; ++state) {
    auto* lamp = new TQuickPaintBox(g);
    lamp->resize(16, 16);
    lamp->move(622 + state * 22, 58);
    lamp->OnPaint = [state](QWidget*, TCanvas& canvas) { PaintLamp(canvas, state); };
  }
  g->Caption(612, 80, 80, "SYNC");
  auto* bevel = new TMoveBevel(g);
  bevel->setGeometry(380, 140, 310, 36);
  g->Caption(380, 152, 310, "move bevel: drag a caption-less window by it");

  // ---- Transport keys: at rest, down, and a fading key lit.
  g->Section(20, 200, 330, "KEYS");
  g->Wells.push_back(QRect(20, 220, 330, 92));
  struct TKey {
    const char* File;
    bool Down;
    const char* Text;
  };
  const TKey keys[] = {{"PlayBtn.bmp", false, "PLAY"}, {"PlayBtn.bmp", true, "PLAYING"},
                       {"LoopBtn.bmp", false, "PATTERN"}, {"LoopBtn.bmp", true, "SONG"},
                       {"ScopeMute.bmp", false, "SCOPE"}, {"ScopeMute.bmp", true, "ON"}};
  int x = 34;
  for (const TKey& k : keys) {
    auto* b = new TMyTransButton(g);
    b->SetGlyph(StylePicture(k.File));
    b->SetDown(k.Down);
    b->move(x, 236);
    g->Caption(x - 10, 266, b->width() + 20, k.Text);
    x += b->width() + 16;
  }
  g->Caption(20, 288, 330, "frame 0 at rest, frame 1 down and lit; fades blend the two");

  // ---- Painted frames, up and down, and a disabled one.
  g->Section(370, 200, 330, "FRAMES");
  g->Wells.push_back(QRect(370, 220, 330, 92));
  struct TFramed {
    TBtnFrameStyle Style;
    const char* Text;
  };
  const TFramed framed[] = {{TBtnFrameStyle::FS_VekGradient, "&OK"}, {TBtnFrameStyle::FS_Vek3D, "&Apply"},
                            {TBtnFrameStyle::FS_VekFlat, "&Flat"}, {TBtnFrameStyle::FS_Raised, "&Raised"},
                            {TBtnFrameStyle::FS_Engraved, "&Groove"}};
  for (int i = 0; i < 5; ++i)
    for (int down = 0; down < 2; ++down) {
      auto* b = new TMyTransButton(g);
      b->SetStyle(framed[i].Style);
      b->SetOptions(tbShowPressed);
      b->SetCaption(framed[i].Text);
      b->setGeometry(380 + i * 63, 232 + down * 30, 58, 24);
      b->SetDown(down == 1);
    }
  g->Caption(370, 290, 330, "gradient . 3-D . flat . raised . engraved, up and down");

  // ---- The controls' own pictures in use.
  g->Section(20, 326, 680, "SMALL PARTS");
  g->Wells.push_back(QRect(20, 346, 680, 74));
  // Number bar arrows on bar buttons.
  for (int i = 0; i < 2; ++i) {
    auto* arrow = new TMyTransButton(g);
    arrow->SetStyle(TBtnFrameStyle::FS_Vek3D);
    arrow->SetOptions(tbTransparentBitmap | tbShowPressed);
    arrow->SetImList(&ResourceImageList("NumB", 2));
    arrow->SetILIndex(i);
    arrow->setGeometry(34 + i * 96, 360, 23, 18);
    arrow->SetDown(i == 1);
  }
  auto* barKnob = new TQuickPaintBox(g);
  barKnob->setGeometry(56, 360, 75, 18);
  barKnob->OnPaint = [](QWidget* sender, TCanvas& canvas) {
    const TRect all = TRect::Sized(0, 0, sender->width(), sender->height());
    canvas.PenColor = ClBlack;
    canvas.BrushColor = ShiftColor(ColorToRGB(ClBtnFace), -64);
    canvas.Rectangle(all);
    const TRect knob = TRect::Sized(22, 0, 32, sender->height());
    DrawBtnFrame(TBtnFrameStyle::FS_Vek3D, canvas, knob, ClBtnFace, false);
    QFont font("DejaVu Sans");
    font.setPixelSize(10);
    font.setBold(true);
    canvas.SetFont(font);
    canvas.FontColor = ClBtnText;
    canvas.BrushClear = true;
    canvas.TextOut(knob.Left + (knob.Width() - canvas.TextWidth("16") + 1) / 2, 3, "16");
  };
  g->Caption(34, 384, 120, "NUMBER BAR");
  // Spin arrows, silver, stacked; the lower one held.
  for (int i = 0; i < 2; ++i) {
    auto* spin = new TMyTransButton(g);
    spin->SetColor(ClSilver);
    spin->SetStyle(TBtnFrameStyle::FS_VekFlat);
    spin->SetOptions(tbTransparentBitmap | tbShowPressed);
    spin->SetNumGlyphs(1);
    spin->SetImList(&ResourceImageList("PickNum", 2));
    spin->SetILIndex(i);
    spin->setGeometry(190, 356 + i * 9, 15, 9);
    spin->SetDown(i == 1);
  }
  auto* spinText = new TQuickPaintBox(g);
  spinText->setGeometry(158, 356, 32, 18);
  spinText->OnPaint = [](QWidget* sender, TCanvas& canvas) {
    canvas.FillRect(TRect::Sized(0, 0, sender->width(), sender->height()), RGBColor(0x10, 0x11, 0x13));
    DrawFrame3D(canvas, TRect::Sized(0, 0, sender->width(), sender->height()), RGBColor(0x08, 0x08, 0x0A),
                RGBColor(0x4A, 0x4E, 0x56));
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(11);
    font.setBold(true);
    canvas.SetFont(font);
    canvas.FontColor = RGBColor(0xF2, 0x9A, 0x2E);
    canvas.BrushClear = true;
    canvas.TextOut(5, 2, "060");
  };
  g->Caption(152, 384, 60, "SPIN");
  // The up-down: at rest, the up zone held, the grip held.
  for (int i = 0; i < 3; ++i) {
    auto* upDown = new TQuickPaintBox(g);
    upDown->setGeometry(232 + i * 22, 354, 16, 26);
    const int zone = i == 0 ? -1 : i == 1 ? 0 : 1;
    upDown->OnPaint = [zone](QWidget* sender, TCanvas& canvas) {
      PaintUpDown(canvas, sender->width(), sender->height(), zone);
    };
  }
  g->Caption(222, 384, 80, "UP-DOWN");
  // Sliders with the default knobs: horizontal, vertical, and disabled.
  const struct {
    QRect Box;
    bool Vertical;
    int Index;
    int At;
  } sliders[] = {{QRect(320, 354, 120, 28), false, 0, 80},
                 {QRect(450, 350, 28, 66), true, 0, 30},
                 {QRect(486, 350, 28, 66), true, 1, 48},
                 {QRect(524, 354, 120, 28), false, 1, 34}};
  for (const auto& s : sliders) {
    auto* slider = new TQuickPaintBox(g);
    slider->setGeometry(s.Box);
    const auto sl = s;
    slider->OnPaint = [sl](QWidget* sender, TCanvas& canvas) {
      PaintSlider(canvas, sender->width(), sender->height(), sl.Vertical, sl.Index, sl.At);
    };
  }
  g->Caption(320, 384, 120, "SLIDER");
  g->Caption(524, 384, 120, "DISABLED");

  return TScreenContext::Grab(g);
}

VS_SCREEN("gallery-controls", PaintGallery);

}  // namespace
}  // namespace vs::screens
