#pragma once
// A surface of the main window painted from a picture of the style: the
// caption, the menu line, the remote panel, the info bar and the side
// strips. Each is a wallpaper control: its picture is tiled over its whole
// area. Without a picture it shows the program's own dark panel, with the
// name plate where the style would have its logo.

#include <QImage>

#include "framework/WPControl.h"

namespace vs {

class TSkinPic : public TWPControl {
  Q_OBJECT

public:
  enum TFill { Surface, Strip };
  TSkinPic(QWidget* parent, const char* name, TFill fill = Surface, bool logo = false);

  void SetPicture(const QImage& picture) { SetWallPaper(picture); }
  const QImage& Picture() const { return WallPaper(); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void PaintBuiltIn(QPainter& p);
  TFill Fill;
  bool Logo;
};

}  // namespace vs
