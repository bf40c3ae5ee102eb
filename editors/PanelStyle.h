#pragma once
// The look of the program's dialog windows: the dark instrument panel of
// the main window carried over to Qt's standard widgets (lists, boxes,
// buttons, grids, group frames with amber titles), and the colours the tab
// controls and labels take. A window applies it once to itself.

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <functional>

class QWidget;

namespace vs {
class TCustomTab95Control;
}

namespace vs::panel {

inline const QColor Face{0x2B, 0x2E, 0x33};
inline const QColor Well{0x1C, 0x1E, 0x22};
inline const QColor Edge{0x3E, 0x42, 0x49};
inline const QColor Shadow{0x14, 0x15, 0x18};
inline const QColor Text{0xD9, 0xDC, 0xE1};
inline const QColor Label{0x9A, 0x9F, 0xA8};
inline const QColor Amber{0xF2, 0x9A, 0x2E};
inline const QColor InactiveTab{0x22, 0x25, 0x2A};

// Palette and style sheet of the panel on window and its children.
void ApplyPanelStyle(QWidget* window);
// The panel's scroll bars alone, for a window of its own colours.
QString ScrollBarStyle();
// Tabs on the panel: bold captions, the tabs at rest dark with grey text.
void ApplyTabLook(TCustomTab95Control* tabs);

// A group of controls on the panel: a recessed well with rounded corners,
// its title engraved above it in amber capitals with a rule to the right.
class TPanelGroup : public QGroupBox {
  Q_OBJECT

public:
  explicit TPanelGroup(const QString& title, QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;
};

// A drop-down list on the panel: the style sheet's box with an amber arrow.
class TPanelCombo : public QComboBox {
  Q_OBJECT

public:
  explicit TPanelCombo(QWidget* parent = nullptr) : QComboBox(parent) {}
  // Called just before the list drops down (it may refill the box).
  std::function<void()> OnPopup;
  void showPopup() override {
    if (OnPopup) OnPopup();
    QComboBox::showPopup();
  }

protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vs::panel
