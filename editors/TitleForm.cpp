#include "editors/TitleForm.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QScreen>
#include <cstring>

#include "controls/JPEGImage.h"
#include "controls/TransImages.h"
#include "framework/PanelLook.h"

namespace vs {

namespace {

QImage ToQImage(const TRGBPicture& picture) {
  QImage image(picture.Width, picture.Height, QImage::Format_RGB888);
  for (int y = 0; y < picture.Height; ++y)
    std::memcpy(image.scanLine(y), picture.Pixels.data() + size_t(y) * picture.Width * 3, size_t(picture.Width) * 3);
  return image;
}

// The pixels of the mask that show more picture than face: the window's
// shape.
QRegion MaskShape(const QImage& mask) {
  const QImage grey = mask.convertToFormat(QImage::Format_Grayscale8);
  QImage bits(grey.size(), QImage::Format_MonoLSB);
  bits.setColor(0, qRgb(255, 255, 255));
  bits.setColor(1, qRgb(0, 0, 0));
  bits.fill(0);
  for (int y = 0; y < grey.height(); ++y) {
    const uchar* row = grey.constScanLine(y);
    for (int x = 0; x < grey.width(); ++x)
      if (row[x] > 127) bits.setPixel(x, y, 1);
  }
  return QRegion(QBitmap::fromImage(bits));
}

}  // namespace

TTitleForm::TTitleForm(const QString& appPath, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("TitleForm");
  setWindowTitle("VorbelSteps");
  setAttribute(Qt::WA_DeleteOnClose);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, look::PanelShadow);
  setPalette(pal);
  setAutoFillBackground(true);

  FTitleImage = new TTransImage(this);
  FTitleImage->setObjectName("TitleImage");
  // Presses on the picture end the splash: they reach the window.
  FTitleImage->setAttribute(Qt::WA_TransparentForMouseEvents);
  try {
    FTitleImage->SetPicture(ToQImage(ReadJPEGFile((appPath + "Artwork/Title.jpg").toStdString())));
    FLoaded = true;
  } catch (const EJPEGError& e) {
    FLoadError = QString::fromStdString(e.what());
    resize(1, 1);
    return;
  }
  const QSize size = FTitleImage->Picture().size();
  QImage mask;
  try {
    mask = ToQImage(ReadJPEGFile((appPath + "Artwork/Title_Mask.jpg").toStdString()));
    FTitleImage->SetPictureMask(mask);
  } catch (const std::exception&) {
    mask = QImage(size, QImage::Format_RGB888);
    mask.fill(Qt::white);
    FTitleImage->SetPictureMask(mask);
  }
  setFixedSize(size);
  FTitleImage->move(0, 0);
  setMask(MaskShape(mask));
}

void TTitleForm::ShowNow() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  show();
  repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TTitleForm::keyPressEvent(QKeyEvent* event) {
  event->accept();
  close();
}

void TTitleForm::mousePressEvent(QMouseEvent* event) {
  event->accept();
  close();
}

}  // namespace vs
