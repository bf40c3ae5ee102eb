#pragma once
// A recessed well in the panel: a rounded dark window with a shadow along
// its upper edge and a lit lip below, for texts shown in the panel (the
// tip of the tip dialog, the about box's credits).

#include <QWidget>

namespace vs {

class TPanelWell : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vs
