// The sample browser open beside the main window on a small library of
// samples, and the quick recording box with a trimmed recording.

#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QTreeView>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "controls/QuickPaintBox.h"
#include "core/Recording.h"
#include "editors/RecordForm.h"
#include "editors/SampleListForm.h"
#include "engine/Capture.h"
#include "engine/WAVFiles.h"
#include "framework/TreeNT.h"
#include "platform/FedAudioCapture.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

void Touch(const std::string& file, const std::string& text = "") {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream(file) << text;
}

TTreeNTNode* Child(TTreeNT& tree, TTreeNTNode* parent, const std::string& text) {
  for (TTreeNTNode* n = parent ? parent->GetFirstChild() : tree.Items().GetFirstNode(); n; n = n->GetNextSibling())
    if (n->Text() == text) return n;
  return nullptr;
}

// A desk behind the windows.
QImage Desk(int w, int h) {
  QImage desk(w, h, QImage::Format_RGB32);
  QPainter p(&desk);
  QLinearGradient g(0, 0, 0, h);
  g.setColorAt(0, QColor(0x4a, 0x52, 0x5c));
  g.setColorAt(1, QColor(0x2a, 0x2e, 0x34));
  p.fillRect(desk.rect(), g);
  return desk;
}

QImage BrowserPage(TScreenContext& c) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  // A small library: folders with their descriptions, samples of every
  // kind, and a drum script beside its rendered WAV.
  // Under a folder of ordinary names: the path shown above the tree ends
  // in them rather than in the temporary folder's random name.
  const std::string lib = (c.WorkDir + "home/Music/Library/").toStdString();
  for (const char* f : {"Kicks/909 Long.wav", "Kicks/Deep Sub.wav", "Kicks/Punchy.wav", "Breaks/Amen 170.wav",
                        "Breaks/Funky Drummer.wav", "Breaks/Think Break.wav", "Breaks/Hot Pants.wav",
                        "Percussion/Conga Hi.wav", "Percussion/Shaker.wav", "Pads/Warm Pad.syn",
                        "Acid Line.404", "Sub Bass.xi", "Tom Fill.ds", "Tom Fill.wav", "Hats Open.fpr"})
    Touch(lib + f);
  Touch(lib + "Breaks.nfo", "Tip=Classic breaks, cut to one bar\r\nColIndex=3\r\n");
  Touch(lib + "Kicks.nfo", "Tip=Bass drums from the machines\r\nColIndex=1\r\n");
  Touch(lib + "Breaks/Amen 170.nfo", "Tip=The Amen break at 170 BPM\r\n");
  TPreferences& prefs = c.Program().Program().Prefs;
  prefs.SearchFolders[0] = lib;
  if (!Windows().SampleListForm) form.SampleBrowserMenuClick();
  TSampleListForm& browser = *Windows().SampleListForm;
  browser.RefreshTree();
  form.move(236, 24);
  form.resize(form.width(), 420);
  while (browser.AnimStep() < SampleListAnimSteps) browser.AnimTick();
  browser.PlaceBeside(browser.width());

  TTreeNT& tree = *browser.FileView;
  TTreeNTNode* root = Child(tree, nullptr, " Library");
  if (root) {
    root->Expand(false);
    if (TTreeNTNode* kicks = Child(tree, root, " Kicks")) kicks->Expand(false);
    if (TTreeNTNode* breaks = Child(tree, root, " Breaks")) {
      breaks->Expand(false);
      if (TTreeNTNode* amen = Child(tree, breaks, "Amen 170")) {
        tree.SetSelected(amen);
        form.ShowInfo("The Amen break at 170 BPM");
      }
    }
  }
  TScreenContext::Settle();
  const QImage main = TScreenContext::Grab(&form);
  const QImage side = TScreenContext::Grab(&browser);
  // The two windows on the desk as they stand, the browser in its shape.
  const QRect mainAt = form.frameGeometry();
  const QRect sideAt = browser.geometry();
  const QPoint origin(sideAt.left() - 24, std::min(mainAt.top(), sideAt.top()) - 24);
  QImage page = Desk(mainAt.right() + 25 - origin.x(), std::max(mainAt.bottom(), sideAt.bottom()) + 25 - origin.y());
  QPainter p(&page);
  p.drawImage(mainAt.topLeft() - origin, main);
  p.setClipRegion(browser.mask().translated(sideAt.topLeft() - origin));
  p.drawImage(sideAt.topLeft() - origin, side);
  return page;
}

// Three seconds of a little drum phrase as the sound card would hand it.
std::vector<int16_t> Phrase() {
  const int n = 3 * 44100;
  std::vector<int16_t> f(size_t(n) * 2);
  uint32_t noise = 12345;
  for (int i = 0; i < n; ++i) {
    const int beat = i % 22050, bar = (i / 22050) % 2;
    const double t = beat / 44100.0;
    double v = 0;
    if (bar == 0)
      v = std::sin(2 * M_PI * (50 + 120 * std::exp(-t * 30)) * t) * std::exp(-t * 9) * 0.9;
    else {
      noise = noise * 1664525u + 1013904223u;
      v = ((noise >> 16) / 32768.0 - 1.0) * std::exp(-t * 14) * 0.6 + std::sin(2 * M_PI * 190 * t) * std::exp(-t * 20) * 0.3;
    }
    if (i < 6000) v *= 0.05;  // the silence before the first hit
    f[2 * size_t(i)] = int16_t(v * 26000);
    f[2 * size_t(i) + 1] = int16_t(v * 24000);
  }
  return f;
}

QImage RecordingPage(TScreenContext& c) {
  c.Program();
  auto backend = std::make_unique<TFedCaptureBackend>();
  TFedCaptureBackend* capture = backend.get();
  SetCaptureBackend(std::move(backend));
  QImage picture;
  {
    TRecordForm form(c.Program().Program().Prefs, 0, Windows().VorbelStepsMainForm);
    form.show();
    form.RecBtnClick();
    if (capture->LastDevice) capture->LastDevice->Feed(Phrase());
    form.Recording().Poll();
    form.StopRecording();
    const int w = form.BoundsPaintBox->width();
    form.Recording().MoveBound(0, w * 6000 / (3 * 44100) - 1, w);
    form.Recording().MoveBound(1, w * 7 / 8, w);
    picture = TScreenContext::Grab(&form);
  }
  SetCaptureBackend(nullptr);
  const QImage desk = Desk(picture.width() + 48, picture.height() + 48);
  QImage page = desk;
  QPainter p(&page);
  p.drawImage(24, 24, picture);
  return page;
}

VS_SCREEN("sample-browser", BrowserPage);
VS_SCREEN("recording-box", RecordingPage);

}  // namespace
}  // namespace vs::screens
