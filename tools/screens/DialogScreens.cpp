// The small dialogs on the default drum kit: the loop information editor
// and its pop-up viewer with a description in rich text and a picture, the
// tools editor with two tools, the humanize and pattern name dialogs, and
// the render dialog before and during a render.

#include <QBuffer>
#include <QCheckBox>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <cmath>

#include "controls/MyTransBtn.h"
#include "controls/TrackSlider.h"
#include "core/PatternCommands.h"
#include "editors/HumanizeForm.h"
#include "editors/PatNameForm.h"
#include "framework/RichEdEx.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

// A small picture of a waveform, as a song's author might paste one.
std::string WavePictureHex() {
  QImage image(120, 40, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, 0, 40);
  g.setColorAt(0, QColor(0x24, 0x3a, 0x5a));
  g.setColorAt(1, QColor(0x10, 0x18, 0x28));
  p.fillRect(image.rect(), g);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x7c, 0xd0, 0xff), 1.4));
  QPointF last(0, 20);
  for (int x = 1; x < 120; ++x) {
    const double envelope = std::exp(-x / 40.0);
    const QPointF next(x, 20 - 17 * envelope * std::sin(x * 0.55));
    p.drawLine(last, next);
    last = next;
  }
  p.end();
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : buffer.data()) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

SongInfo ExampleInfo() {
  SongInfo info;
  info.Title = "Night Shift Groove";
  info.WebAddress = "https://example.org/loops/night-shift";
  info.ShowOnOpen = true;
  info.InfoRTF =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}"
      "{\\colortbl ;\\red180\\green60\\blue20;\\red40\\green90\\blue160;}"
      "\\pard\\fs26\\b A late-night house loop\\b0\\par"
      "\\pard\\fs20 Four on the floor at \\cf1\\b 124 BPM\\b0\\cf0 , with a swung hat and a "
      "\\i ghost snare\\i0  on the off-beats. The bass channel follows the kick's sidechain "
      "feel, so keep it below the kick.\\par"
      "\\pard\\fs20\\cf2 Tip:\\cf0  patterns 5 to 8 are the break; try them in song mode.\\par"
      "\\pard\\qc{\\pict\\pngblip\\picw120\\pich40 " +
      WavePictureHex() + "}\\par}";
  return info;
}

VS_SCREEN("dialog-loop-info", [](TScreenContext& c) {
  c.Program();
  TSetInfoForm& form = *Windows().SetInfoForm;
  form.ShowSongInfo(ExampleInfo());
  const QImage picture = TScreenContext::Grab(&form);
  form.hide();
  return picture;
});

VS_SCREEN("dialog-info-viewer", [](TScreenContext& c) {
  c.Program();
  TInfoForm& viewer = *Windows().InfoForm;
  viewer.ShowSongInfo(ExampleInfo());
  const QImage picture = TScreenContext::Grab(&viewer);
  viewer.hide();
  return picture;
});

QImage ToolsPage(TScreenContext& c) {
  TPreferences& prefs = c.Program().Program().Prefs;
  const auto saved = prefs.ToolList;
  prefs.ToolList[0] = TToolItem{"Audacity", "/usr/bin/audacity", ToolWithChannelSample};
  prefs.ToolList[1] = TToolItem{"Tindle", "/usr/local/bin/tindle", ToolWithSamplesPath | ToolLinkToMain};
  TAddToolForm& form = *Windows().AddToolForm;
  form.show();
  form.ToolsBox->setCurrentRow(1);
  const QImage picture = TScreenContext::Grab(&form);
  form.hide();
  prefs.ToolList = saved;
  return picture;
}

VS_SCREEN("dialog-tools", ToolsPage);

VS_SCREEN("dialog-humanize", [](TScreenContext& c) {
  c.Program();
  THumanizeForm form(ProgramHumanizeOptions(), Windows().VorbelStepsMainForm);
  return TScreenContext::Grab(&form);
});

VS_SCREEN("dialog-pattern-name", [](TScreenContext& c) {
  c.Program();
  TPatNameForm form(Windows().VorbelStepsMainForm);
  form.SetPattern(5, "Break A");
  return TScreenContext::Grab(&form);
});

QImage RenderPage(TScreenContext& c, bool rendering) {
  c.Program();
  TWAVRenderForm& form = *Windows().WAVRenderForm;
  // What Execute shows, without running the render.
  form.SetRenderFileName(c.WorkDir.toStdString() + "Night Shift Groove.wav");
  form.show();
  if (rendering) {
    form.OkButton->hide();
    form.RenderGauge->show();
    form.RenderGauge->SetPosition(42);
  }
  const QImage picture = TScreenContext::Grab(&form);
  form.hide();
  return picture;
}

VS_SCREEN("dialog-render", [](TScreenContext& c) { return RenderPage(c, false); });
VS_SCREEN("dialog-render-running", [](TScreenContext& c) { return RenderPage(c, true); });

}  // namespace
}  // namespace vs::screens
