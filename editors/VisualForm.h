#pragma once
// The lamp window: one row of lamps per channel, 64 step lamps and a
// channel lamp, lit by the players when a step fires and fading in the
// decaying paints that the scope's updates drive while the window shows.
// A double click doubles (or halves) the lamps, as far as the screen has
// room; a left drag moves the window; a right press closes it; the channel
// under the pointer is named in the info bar.
//
// The window keeps a picture of its lamps and repaints only the lamps whose
// level changed.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <string>

#include "model/SongListener.h"

namespace vs {

struct TControlBounds;
using TStoredBounds = TControlBounds;

class TVisualForm : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TVisualForm(QWidget* parent = nullptr);
  ~TVisualForm() override;

  // A row per channel of the song, each in its channel's colour, whatever
  // route changed them.
  void ChannelListChanged() override { FitToChannels(); RedrawAll(); }
  void ChannelChanged(int) override { RedrawAll(); }
  void SongReplaced(TSong&) override { ChannelListChanged(); }

  // 12 to 24 pixels a lamp (24 doubled, less where the screen lacks room).
  int CellSize() const { return FCellSize; }
  void SetCellSize(int cell);
  // The window sized to the song's channels.
  void FitToChannels();
  // Every lamp fades one step and the lamps that changed repaint.
  void DecayRepaint();
  // Every lamp of every channel lit (the window shows).
  void LightAll();
  // The whole picture drawn again.
  void RedrawAll();

  void LoadBounds(const TStoredBounds& bounds);
  void StoreBounds(TStoredBounds& bounds) const;
  // The window has a place: stored (other than the one it is made at), or
  // given when it first opened.
  bool Placed = false;

  // The main window's lamp-window command (a right press runs it).
  std::function<void()> OnCloseRequest;
  // Shown (true) or hidden: the scope's updates run while it shows.
  std::function<void(bool shown)> OnShownChanged;
  std::function<void(const std::string& text)> OnShowInfo;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  void PaintLamp(QPainter& p, int row, int step, int level, uint32_t colour);

  int FCellSize = 12;
  QImage Picture;
  QPoint DragStart;
  bool Dragging = false;
};

}  // namespace vs
