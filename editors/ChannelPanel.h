#pragma once
// The face of the channel settings window (over the dialogs' panel style,
// editors/PanelStyle.h): the dark panel its controls sit on, with engraved
// wells around groups of controls and small printed labels, and the lamp
// tick box.

#include <QCheckBox>
#include <QLabel>
#include <QWidget>
#include <vector>

#include "editors/PanelStyle.h"

namespace vs {

class TPanelFace : public QWidget {
  Q_OBJECT

public:
  explicit TPanelFace(QWidget* parent = nullptr);
  // An engraved outline around a group of controls.
  void AddWell(const QRect& r) { Wells.push_back(r); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::vector<QRect> Wells;
};

// A printed label over the panel (a QLabel, so that the language tables
// reach it by its name): small bold capitals in the panel's caption ink, or
// an amber section title.
QLabel* PanelLabel(QWidget* parent, const char* name, const QString& text, const QRect& box,
                   Qt::Alignment align = Qt::AlignHCenter | Qt::AlignTop, bool title = false);

// A tick box drawn as a small lamp beside its text: lit amber when ticked.
class TLampBox : public QCheckBox {
  Q_OBJECT

public:
  TLampBox(const QString& text, QWidget* parent = nullptr);
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace vs
