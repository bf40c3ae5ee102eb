// The control gallery: every control of the library in its states, on the
// instrument's panel, in the default style's pictures.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <memory>
#include <vector>

#include "controls/BtnFrames.h"
#include "controls/ImageList.h"
#include "controls/MeroUpDown.h"
#include "controls/MoveBevel.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/PickNum.h"
#include "controls/QuickPaintBox.h"
#include "controls/RCADigital.h"
#include "controls/Selector.h"
#include "controls/TimerSpeedButton.h"
#include "controls/TrackSlider.h"
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
  const char* names[] = {"FX 1", "FX 2", "FX 3", "FX 4"};
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

// A left press on a control, as the user holds it while the page is taken.
void Hold(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
}

QImage PaintGallery(TScreenContext& c) {
  if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = c.DataDir.toStdString();
  // The lists outlive the panel that shows them.
  std::vector<std::unique_ptr<TImageList>> lists;
  auto panel = std::make_unique<TGalleryPanel>();
  TGalleryPanel* g = panel.get();
  g->setObjectName("ControlGallery");
  g->resize(720, 540);
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

  // ---- Number controls: bars, the spin edit, digits, up-downs.
  g->Section(20, 326, 330, "NUMBERS");
  g->Wells.push_back(QRect(20, 346, 330, 176));
  auto* bar = new TNumBar(g);
  bar->setObjectName("PatternLength");
  bar->SetRange(1, 64);
  bar->SetPosition(16);
  bar->setGeometry(34, 360, 160, 18);
  g->Caption(34, 380, 160, "NUMBER BAR 1 . . 64");
  auto* held = new TNumBar(g);
  held->SetRange(0, 127);
  held->SetPosition(100);
  held->setGeometry(34, 398, 160, 18);
  Hold(held, held->Knob()->geometry().center());
  auto* stepping = new TNumBar(g);
  stepping->SetRange(0, 127);
  stepping->SetPosition(36);
  stepping->setGeometry(34, 424, 160, 18);
  Hold(stepping->Arrow(1), QPoint(5, 5));
  stepping->Arrow(1)->Repeat().Stop();
  g->Caption(34, 444, 160, "dragged . arrow held");
  auto* scroller = new TNumBar(g);
  scroller->SetShowNumber(false);
  scroller->SetRange(0, 3);
  scroller->setGeometry(34, 468, 160, 16);
  g->Caption(34, 486, 160, "SCROLLER");
  auto* vertical = new TNumBar(g);
  vertical->SetOrientation(Qt::Vertical);
  vertical->SetShowNumber(false);
  vertical->SetRange(0, 8);
  vertical->SetPosition(3);
  vertical->setGeometry(206, 358, 16, 128);
  // Spin edit and digit displays.
  auto* spin = new TPickNum(g);
  spin->setObjectName("NoteNum");
  spin->SetMinValue(-1);
  spin->SetMaxValue(127);
  spin->SetValue(60);
  spin->setGeometry(238, 360, 54, 21);
  g->Caption(232, 384, 66, "SPIN");
  TImageList* digits = KeepList(lists, StylePicture("digits.bmp"), 11);
  const int shown[] = {140, 7};
  for (int i = 0; i < 2; ++i) {
    auto* display = new TRCADigital(g);
    display->SetImList(digits);
    display->SetFormatWidth(3);
    display->SetValue(shown[i]);
    display->move(238, 402 + i * 26);
  }
  g->Caption(226, 454, 66, "DIGITS");
  // Up-downs: drawn at rest, the up zone held, the grip held, then the
  // style's picture.
  TImageList* upDownPicture = KeepList(lists, StylePicture("UpDown.bmp"), 2);
  for (int i = 0; i < 4; ++i) {
    auto* upDown = new TMeroUpDown(g);
    upDown->move(300 + (i % 2) * 22, 360 + (i / 2) * 36);
    if (i == 3) upDown->SetImList(upDownPicture);
    if (i == 1) Hold(upDown, QPoint(8, 4));
    if (i == 2) Hold(upDown, QPoint(8, 13));
    upDown->StepTimer().Stop();
  }
  g->Caption(292, 432, 56, "UP-DOWN");

  // ---- Faders and gauges.
  g->Section(370, 326, 330, "FADERS");
  g->Wells.push_back(QRect(370, 346, 330, 176));
  auto* amount = new TTrackSlider(g);
  amount->setObjectName("HumanizeAmount");
  amount->SetOrientation(Qt::Horizontal);
  amount->SetPosition(620);
  amount->setGeometry(380, 354, 190, 40);
  g->Caption(380, 394, 190, "TRACK SLIDER 0 . . 1000");
  auto* off = new TTrackSlider(g);
  off->SetOrientation(Qt::Horizontal);
  off->SetTickMarks(TTickMark::tmBottomRight);
  off->SetPosition(250);
  off->setEnabled(false);
  off->setGeometry(380, 410, 190, 30);
  g->Caption(380, 440, 190, "DISABLED");
  TImageList* capsV = KeepList(lists, StylePicture("VolSliderKnob.bmp"), 3);
  const int levels[] = {800, 300, 550};
  for (int i = 0; i < 3; ++i) {
    auto* fader = new TTrackSlider(g);
    fader->SetKnobIL(capsV);
    fader->SetFrequency(100);
    fader->SetPosition(levels[i]);
    fader->setGeometry(584 + i * 38, 352, 36, 112);
    if (i == 1) Hold(fader->Knob(), QPoint(4, 4));
    if (i == 2) fader->setEnabled(false);
  }
  g->Caption(584, 466, 114, "rest . held . off");
  const int progress[] = {42, 100};
  for (int i = 0; i < 2; ++i) {
    auto* gauge = new TRedGauge(g);
    gauge->SetPosition(progress[i]);
    gauge->setGeometry(380 + i * 100, 470, 90, 20);
  }
  g->Caption(380, 494, 190, "RED GAUGE");

  return TScreenContext::Grab(g);
}

VS_SCREEN("gallery-controls", PaintGallery);

}  // namespace
}  // namespace vs::screens
