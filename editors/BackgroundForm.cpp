#include "editors/BackgroundForm.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>

#include "controls/DIB.h"
#include "core/ProgramPaths.h"
#include "framework/DialogLook.h"
#include "framework/ActionTable.h"
#include "framework/MLang.h"
#include "framework/WPControl.h"
#include "model/Preferences.h"
#include "toolbox/AllTools.h"

namespace vs {

TBackgroundForm::TBackgroundForm(TPreferences& prefs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint |
                          Qt::WindowDoesNotAcceptFocus),
      Prefs(prefs) {
  setObjectName("BackgroundForm");
  setWindowTitle(QStringLiteral("Background"));
  setAccessibleName(QStringLiteral("Background"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  BackImage = new TWPControl(this);
  BackImage->setObjectName("BackImage");
  BackImage->hide();

  TActionTable& t = MenuActions;
  PopupMenu = t.AddMenu("PopupMenu", "Background").Menu();
  ChoosePic = t.AddItem("ChoosePic", "&Open bitmap...", "PopupMenu", [this] { ChoosePicClick(); }).Action();
  t.AddSeparator("PopupMenu");
  StretchMenu = t.AddItem("StretchMenu", "&Tiled", "PopupMenu", [this] { StretchMenuClick(); }).Action();
  t.Attach(this);
  StretchMenu->setCheckable(true);
  StretchMenu->setChecked(Prefs.BackPicTiled);

  MultiLang1 = new TMultiLang(this);
  MultiLang1->Loaded();
}

std::string TBackgroundForm::PictureFile() const {
  return Prefs.BackPicFileName.empty() ? ProgramPaths().AppPath + "Artwork/Back.bmp" : Prefs.BackPicFileName;
}

bool TBackgroundForm::HasPicture() const { return !BackImage->WallPaper().isNull(); }

void TBackgroundForm::LoadPicture() {
  const std::string file = PictureFile();
  if (CanOpenFile(file)) {
    const QImage picture = LoadPictureFile(QString::fromStdString(file));
    if (!picture.isNull()) BackImage->SetWallPaper(picture);
  }
  PlacePicture();
}

void TBackgroundForm::PlacePicture() {
  StretchMenu->setChecked(Prefs.BackPicTiled);
  if (!HasPicture()) {
    BackImage->hide();
    return;
  }
  const QImage& picture = BackImage->WallPaper();
  if (Prefs.BackPicTiled) {
    BackImage->setGeometry(rect());
    BackImage->CenterTiles();
  } else {
    BackImage->SizeToWallpaper();
    BackImage->move((width() - picture.width()) / 2, (height() - picture.height()) / 2);
  }
  BackImage->show();
}

void TBackgroundForm::ChoosePicClick() {
  QFileDialog dialog(this, ChoosePic->text().remove(QLatin1Char('&')));
  PrepareFileDialog(&dialog);
  dialog.setObjectName("OpenPictureDialog");
  dialog.setNameFilters(PictureFileFilters(MultiLang1->Word("@AllPictures"), MultiLang1->Word("@DIBFiles")));
  dialog.selectFile(QString::fromStdString(PictureFile()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  Prefs.BackPicFileName = dialog.selectedFiles().first().toStdString();
  LoadPicture();
}

void TBackgroundForm::StretchMenuClick() {
  Prefs.BackPicTiled = !Prefs.BackPicTiled;
  PlacePicture();
}

void TBackgroundForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!HasPicture()) LoadPicture();
}

void TBackgroundForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlacePicture();
}

void TBackgroundForm::contextMenuEvent(QContextMenuEvent* event) { PopupMenu->popup(event->globalPos()); }

}  // namespace vs
