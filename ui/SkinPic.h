#pragma once
// A surface of the main window painted from a picture of the style: the
// caption, the menu line, the remote panel, the info bar and the side
// strips. A strip tiles its picture down its height; a surface draws it at
// the top left. Without a picture it shows the program's own dark panel,
// with the name plate where the style would have its logo.

#include <QImage>
#include <QWidget>

namespace vs {

class TSkinPic : public QWidget {
  Q_OBJECT

public:
  enum TFill { Surface, Strip };
  TSkinPic(QWidget* parent, const char* name, TFill fill = Surface, bool logo = false);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return FPicture; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void PaintBuiltIn(QPainter& p);
  QImage FPicture;
  TFill Fill;
  bool Logo;
};

}  // namespace vs
