#pragma once
// Painting surfaces of the windows.
//
// TWPControl is a container that paints a picture tiled over its area (the
// skinnable backgrounds of the main window, the piano roll and the browser),
// or lets its owner paint the whole area through OnPaint. The tiling starts
// at (-TileX, -TileY). Without picture and OnPaint it shows its colour.
// With NoFlicker the control paints into an off-screen picture first and
// copies it whole.
//
// TSmoothScrollBox is a scrolling container that tells its owner after
// every size change (the main window's channel area).

#include <QImage>
#include <QScrollArea>
#include <QWidget>

#include "controls/QuickGraphicControl.h"

namespace vs {

class TWPControl : public QWidget {
  Q_OBJECT

public:
  explicit TWPControl(QWidget* parent = nullptr);

  const QImage& WallPaper() const { return FWallPaper; }
  // Copies the picture and repaints.
  void SetWallPaper(const QImage& picture);

  bool NoFlicker() const { return FNoFlicker; }
  void SetNoFlicker(bool noFlicker) { FNoFlicker = noFlicker; }

  // The colour shown without picture and OnPaint ($00BBGGRR; black at
  // creation).
  TColor Color() const { return FColor; }
  void SetColor(TColor color);

  int TileX() const { return FTileX; }
  int TileY() const { return FTileY; }
  void SetTileOffset(int x, int y);
  // Centres the tiles: offset = (side - (size mod side)) div 2 for each
  // picture side above 0 (a side of 0 keeps that offset); repaints.
  void CenterTiles();
  // Offsets 0 and bounds (0, 0, picture width, picture height).
  void SizeToWallpaper();

  // Paints the whole control instead of the tiling.
  TPaintEvent OnPaint;
  TNotifyEvent OnMove;
  TNotifyEvent OnResize;

protected:
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void PaintArea(QPainter& painter, const QRect& area);

  QImage FWallPaper;
  bool FNoFlicker = false;
  TColor FColor = 0;
  int FTileX = 0;
  int FTileY = 0;
  QImage OffScreen;
};

class TSmoothScrollBox : public QScrollArea {
  Q_OBJECT

public:
  explicit TSmoothScrollBox(QWidget* parent = nullptr);

  // After every size change.
  TNotifyEvent OnResize;

protected:
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace vs
