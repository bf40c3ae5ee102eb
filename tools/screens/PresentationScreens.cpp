// The presentation windows: the splash in its shape, the about box, the tip
// dialog on a tip, the tutorial on its first page, the products text and the help.

#include <QApplication>

#include "controls/WAVScope.h"
#include "editors/AboutForm.h"
#include "editors/InfoForm.h"
#include "editors/TitleForm.h"
#include "editors/TutorialForm.h"
#include "framework/AMTipDlg.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

VS_SCREEN("splash", [](TScreenContext& c) {
  TTitleForm splash(c.DataDir);
  QImage shot = TScreenContext::Grab(&splash).convertToFormat(QImage::Format_ARGB32);
  // What lies outside the window's shape is the desktop: transparent here.
  const QRegion shape = splash.mask();
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (!shape.isEmpty() && !shape.contains(QPoint(x, y))) shot.setPixel(x, y, 0);
  return shot;
});

VS_SCREEN("about-box", [](TScreenContext& c) {
  c.Program();
  TAboutForm& about = *Windows().AboutForm;
  QImage shot = TScreenContext::Grab(&about);
  about.hide();
  return shot;
});

VS_SCREEN("tips", [](TScreenContext& c) {
  c.Program();
  TTipForm tip;
  tip.setWindowTitle("And now for some annoying tips...");
  tip.Tips = ReadTipsFile(c.DataDir + "Texts/Tips.txt");
  tip.Random = [](int) { return 4; };
  return TScreenContext::Grab(&tip);
});

VS_SCREEN("tutorial-page", [](TScreenContext& c) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  // The pages before edited the song: no question here.
  CurrentSong().SetModified(false);
  form.TutorialMenuClick();
  TTutorialForm* tutorial = form.TutorialForm();
  QImage shot = TScreenContext::Grab(tutorial);
  tutorial->close();
  // The pages after this one show the kit again.
  CurrentSong().SetModified(false);
  form.Commands().New();
  return shot;
});

// The text viewer as a Help item shows it.
QImage TextViewerShot(TScreenContext& c, void (TVorbelStepsMainForm::*show)()) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  (form.*show)();
  QImage shot = TScreenContext::Grab(form.TextViewer());
  form.TextViewer()->hide();
  return shot;
}

VS_SCREEN("products-info",
          [](TScreenContext& c) { return TextViewerShot(c, &TVorbelStepsMainForm::ProductsInfoMenuClick); });
VS_SCREEN("help-contents",
          [](TScreenContext& c) { return TextViewerShot(c, &TVorbelStepsMainForm::ContentsMenuClick); });

// The light style's scope after a while of snow, three times its size.
VS_SCREEN("scope-snow", [](TScreenContext& c) {
  c.Program();
  Skin().ChangeStyle(c.DataDir.toStdString(), "Light");
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  auto* scope = form.findChild<TWAVScope*>("MixScope");
  for (int i = 0; i < 900; ++i) scope->NextFrame();
  const QImage shot = scope->grab().toImage();
  Skin().ChangeStyle(c.DataDir.toStdString(), "Default");
  return shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
});

}  // namespace
}  // namespace vs::screens
