#pragma once
// The splash window shown while the program starts: the title picture
// "Artwork/Title.jpg" blended through its mask "Artwork/Title_Mask.jpg"
// over the window's dark face, the window cut to the mask's shape. A click
// on the picture, any key or closing ends it; it frees itself when closed.
//
// A picture that can't be read leaves the splash out (Loaded() is false and
// LoadError() says why, "JPEG error #n"): a damaged picture never stops the
// program from starting. A mask that can't be read or has another size
// shows the whole picture.

#include <QString>
#include <QWidget>

namespace vs {

class TTransImage;

class TTitleForm : public QWidget {
  Q_OBJECT

public:
  // Reads the pictures from the data folder (ending in "/").
  explicit TTitleForm(const QString& appPath, QWidget* parent = nullptr);

  bool Loaded() const { return FLoaded; }
  const QString& LoadError() const { return FLoadError; }
  TTransImage* TitleImage() const { return FTitleImage; }
  // Centred on the screen, shown and painted at once.
  void ShowNow();

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  TTransImage* FTitleImage = nullptr;
  bool FLoaded = false;
  QString FLoadError;
};

}  // namespace vs
