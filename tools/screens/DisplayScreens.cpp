// The scope in its five styles over its glass, the sample view with its
// loop markers, the level meter and the on-screen keyboard with held notes.

#include <QPainter>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "controls/ImageList.h"
#include "controls/Keyboard.h"
#include "controls/WAVScope.h"
#include "core/ProgramPaths.h"
#include "core/Style.h"
#include "framework/WPControl.h"
#include "model/WAVSample.h"
#include "tools/screens/Screens.h"

namespace vs::screens {
namespace {

// A beat of sound: a low tone with a brighter partial, swelling and
// falling, stereo with the right channel a little behind.
std::vector<int16_t> Tone(int frames, double cycles, double bright, bool decay) {
  std::vector<int16_t> out(2 * frames);
  for (int i = 0; i < frames; ++i) {
    const double t = double(i) / frames;
    const double env = decay ? std::exp(-4.0 * t) : 0.55 + 0.45 * std::sin(std::numbers::pi * t);
    auto at = [&](double phase) {
      return env * (0.75 * std::sin(2 * std::numbers::pi * cycles * t + phase) +
                    bright * std::sin(2 * std::numbers::pi * cycles * 5.0 * t + phase));
    };
    out[2 * i] = static_cast<int16_t>(std::lround(16000 * at(0)));
    out[2 * i + 1] = static_cast<int16_t>(std::lround(16000 * at(0.6)));
  }
  return out;
}

QImage Glass(int w, int h) {
  QImage glass(w, h, QImage::Format_RGB32);
  QPainter p(&glass);
  QLinearGradient g(0, 0, 0, h);
  g.setColorAt(0, QColor(0x10, 0x1A, 0x16));
  g.setColorAt(0.5, QColor(0x0A, 0x12, 0x0E));
  g.setColorAt(1, QColor(0x06, 0x0A, 0x08));
  p.fillRect(glass.rect(), g);
  p.setPen(QColor(0x1C, 0x30, 0x26));
  for (int x = w / 8; x < w; x += w / 8) p.drawLine(x, 0, x, h);
  p.drawLine(0, h / 2, w, h / 2);
  return glass;
}

QImage ScopesAndKeys(TScreenContext&) {
  if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = VS_DATA_DIR;
  static TWAVSample beat, kick;
  beat.SetFrames(Tone(1470, 6, 0.25, false));
  kick.SetFrames(Tone(20000, 14, 0.12, true));
  kick.SetLoop(9000, 17000);
  static TImageList meterImages;
  BitmapFileToImageList(StyleFilePath("Volumeter.bmp"), meterImages, 2);

  const char* const names[] = {"Lines", "Dots", "Columns", "Circle", "Flower"};
  auto* panel = new TWPControl;
  panel->resize(640, 330);
  panel->OnPaint = [names](QWidget* w, TCanvas& canvas) {
    QPainter& p = canvas.Painter();
    QLinearGradient g(0, 0, 0, w->height());
    g.setColorAt(0, QColor(0x34, 0x38, 0x3E));
    g.setColorAt(1, QColor(0x22, 0x25, 0x29));
    p.fillRect(w->rect(), g);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setFont(f);
    p.setPen(QColor(0xB8, 0xBC, 0xC4));
    for (int i = 0; i < 5; ++i)
      p.drawText(QRect(12 + i * 124, 8, 112, 14), Qt::AlignCenter, QString(names[i]).toUpper());
    p.drawText(QRect(12, 96, 400, 14), Qt::AlignLeft, "SAMPLE VIEW  -  LOOP MARKERS");
    p.drawText(QRect(436, 96, 190, 14), Qt::AlignLeft, "OUTPUT LEVEL");
    p.drawText(QRect(12, 222, 400, 14), Qt::AlignLeft, "KEYBOARD  -  C MAJOR HELD");
    // Bezels around the screens.
    p.setPen(QColor(0x0C, 0x0D, 0x0F));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) p.drawRoundedRect(QRectF(11.5 + i * 124, 23.5, 113, 59), 3, 3);
    p.drawRoundedRect(QRectF(11.5, 113.5, 409, 97), 3, 3);
  };
  std::vector<TWAVScope*> scopes;
  for (int i = 0; i < 5; ++i) {
    auto* scope = scopes.emplace_back(new TWAVScope(panel));
    scope->setGeometry(12 + i * 124, 24, 112, 58);
    scope->SetTraceColors(0, 0x8CF0B4, 0x2E7A48);
    scope->SetTraceColors(1, 0x7CC8F2, 0x3A5E8C);
    scope->SetStereo(i == 1 || i == 2);
    scope->SetStyle(static_cast<TScopeStyle>(i));
    scope->SetBackground(Glass(112, 58));
    scope->SetSample(&beat);
    if (i == 4) scope->SetTrailWeight(200);
  }
  auto* view = new TWAVScope(panel);
  view->setGeometry(12, 114, 408, 96);
  view->BackColor = 0x1A1614;
  view->CenterColor = 0x5A544E;
  view->SetLineColor(0xB0E060);
  view->SetSample(&kick);
  auto* meter = new TWAVVolumeter(panel);
  meter->setGeometry(436, 114, meterImages.Width(), 2 * meterImages.Height());
  meter->SetColor(0x29251F);
  meter->SetImages(&meterImages);
  meter->SetLevels(23000, 18500);
  auto* keys = new TKeys(panel);
  keys->setGeometry(12, 238, 616, 72);
  keys->SetNoteWidth(14);
  keys->SetBaseOctave(3);
  keys->SetWhiteBrush(0xE8EEF2);
  keys->SetBlackBrush(0x201C1A);
  keys->SetPen(0x403A36);
  keys->MiddleNote = 60;
  for (int n : {48, 52, 55, 61}) keys->NoteOn(n, 100, false);
  std::unique_ptr<QWidget> owner(panel);
  panel->show();
  // The scopes draw a few frames, so the trail shows.
  for (int k = 0; k < 5; ++k)
    for (TWAVScope* scope : scopes) scope->NextFrame();
  return TScreenContext::Grab(panel);
}

VS_SCREEN("scopes-and-keys", ScopesAndKeys);

}  // namespace
}  // namespace vs::screens
