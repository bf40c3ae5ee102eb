#include "framework/Skin.h"

#include <QLayout>
#include <QPolygon>
#include <QWidget>
#include <memory>

#include "controls/Canvas.h"
#include "core/ProgramPaths.h"

namespace vs {

namespace {

struct TListFile {
  TImageList TSkin::*List;
  const char* File;
  int Frames;  // > 0: that many frames; <= 0: frames of -n pixels
};

const TListFile ListFiles[] = {
    {&TSkin::NoteBtnIL, "NoteBtn.bmp", -16},
    {&TSkin::PosLedIL, "PosLed.bmp", 2},
    {&TSkin::HSliderIL, "HSliderKnob.bmp", 3},
    {&TSkin::KeybIL, "Keyb.bmp", 2},
    {&TSkin::TSSlideIL, "404Slide.bmp", 2},
    {&TSkin::KeybNoteIL, "Keyb_Keys.bmp", 8},
    {&TSkin::PLBulletIL, "PLBullet.bmp", 2},
    {&TSkin::BrowserItemImages, "SB_Item.bmp", -10},
    {&TSkin::MinCloseIL, "MinClose.bmp", 4},
    {&TSkin::UpDownIL, "UpDown.bmp", 2},
    {&TSkin::FXBtnIL, "FX_Btns.bmp", 8},
    {&TSkin::LCDIL, "digits.bmp", 11},
    {&TSkin::MiddleWheelIL, "MiddleWheel.bmp", -23},
    {&TSkin::SmallWheelIL, "SmallWheel.bmp", -14},
    {&TSkin::MB404WheelIL, "404Wheel.bmp", -25},
    {&TSkin::MIDISyncIL, "MIDISync.bmp", 3},
    {&TSkin::VolSliderIL, "VolSliderKnob.bmp", 3},
    {&TSkin::VolumeterIL, "Volumeter.bmp", 2},
    {&TSkin::SetBtnIL, "SetBtn.bmp", 4},
    {&TSkin::ZippedIL, "Zipped.bmp", 2},
    {&TSkin::MuteBtnIL, "MuteBtn.bmp", 2},
    {&TSkin::SelectBtnIL, "SelectBtn.bmp", 2},
    {&TSkin::MenuItemsIL, "MenuItems.bmp", 2},
};

// The style's file, else the default style's: also when the style's own
// file is there but can't be read as a picture.
std::string DefaultFile(const TStyle& style, const char* file) {
  TStyle defaultOnly = style;
  defaultOnly.Folder.clear();
  return defaultOnly.FilePath(file);
}

QImage Picture(const TStyle& style, const char* file) {
  QImage image(QString::fromStdString(style.FilePath(file)));
  if (image.isNull()) image = QImage(QString::fromStdString(DefaultFile(style, file)));
  return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TSkin& Skin() {
  static TSkin* skin = new TSkin;  // lives to the end of the program
  return *skin;
}

void ResetSkin() {
  TSkin& skin = Skin();
  std::destroy_at(&skin);
  std::construct_at(&skin);
}

void TSkin::Load(const TStyle& style) {
  Style = style;
  if (Style.DefaultFolder.empty()) {
    // A style made in code: the folders under the program's data.
    Style.Folder = StyleFolder();
    Style.DefaultFolder = ProgramPaths().AppPath + "Styles/" + DefaultStyleName + "/";
  }
  MenuPic = Picture(Style, "MenuBack.bmp");
  BottomLine = Picture(Style, "BottomLine.bmp");
  MenuLine = Picture(Style, "MenuLine.bmp");
  TitleBar = Picture(Style, "TitleBar.bmp");
  TitleBarOff = Picture(Style, "TitleBar_Off.bmp");
  BackPic = Picture(Style, "back.bmp");
  LeftSide = Picture(Style, "LeftSide.bmp");
  RightSide = Picture(Style, "RightSide.bmp");
  SBBack = Picture(Style, "SB_Back.bmp");
  SBLeftSide = Picture(Style, "SB_LeftSide.bmp");
  for (const TListFile& f : ListFiles) {
    TImageList& list = this->*f.List;
    list = TImageList();
    if (!BitmapFileToImageList(Style.FilePath(f.File), list, f.Frames))
      BitmapFileToImageList(DefaultFile(Style, f.File), list, f.Frames);
  }
  LoopBtnGlyph = Picture(Style, "LoopBtn.bmp");
  PlayBtnGlyph = Picture(Style, "PlayBtn.bmp");
  ScopeMuteGlyph = Picture(Style, "ScopeMute.bmp");
  PatPadGlyph = Picture(Style, "PatPad.bmp");
  emit changed();
}

void TSkin::ChangeStyle(const std::string& appPath, const std::string& name) {
  ApplyStyle(LoadStyle(appPath, name));
  Load(CurrentStyle());
}

QImage TSkin::PanelUnder(const QString& control) const {
  const TStylePlace* place = Style.Place(control.toStdString());
  if (!place || !place->Left || !place->Top || !place->Width || !place->Height || MenuPic.isNull()) return QImage();
  return MenuPic.copy(*place->Left, *place->Top, *place->Width, *place->Height);
}

QFont StyleFont(const TStyleFont& font) {
  QFont f(QString::fromStdString(font.Name));
  f.setPixelSize(std::max(1, font.Height));
  return f;
}

QColor StyleColour(TColor colour) { return ToQColor(colour); }

QRegion WindowRegion(const TStyle& style, int width) {
  if (style.DefHole.empty()) return QRegion();
  QRegion region(0, 0, width, 32000);
  for (const std::vector<TStylePoint>& hole : style.DefHole) {
    QPolygon polygon;
    for (const TStylePoint& p : hole) polygon << QPoint(p.X, p.Y);
    region -= QRegion(polygon, Qt::OddEvenFill);
  }
  return region;
}

void ApplyPlaces(QWidget* container, const TStyle& style) {
  const QLayout* layout = container->layout();
  for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (layout && layout->indexOf(child) >= 0) continue;
    const TStylePlace* place = style.Place(child->objectName().toStdString());
    if (!place) continue;
    QRect r = child->geometry();
    if (place->Left) r.moveLeft(*place->Left);
    if (place->Top) r.moveTop(*place->Top);
    if (place->Width) r.setWidth(*place->Width);
    if (place->Height) r.setHeight(*place->Height);
    child->setGeometry(r);
  }
}

}  // namespace vs
