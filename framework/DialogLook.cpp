#include "framework/DialogLook.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QScreen>
#include <QTreeView>
#include <QWidget>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

const QColor Face{0x2B, 0x2E, 0x33};
const QColor Well{0x1C, 0x1E, 0x22};
const QColor Edge{0x3E, 0x42, 0x49};
const QColor Shadow{0x14, 0x15, 0x18};
const QColor Text{0xD9, 0xDC, 0xE1};
const QColor Dim{0x9A, 0x9F, 0xA8};
const QColor Disabled{0x6A, 0x6E, 0x76};
const QColor Amber{0xF2, 0x9A, 0x2E};
const QColor Ink{0x17, 0x19, 0x1D};

const char* const DialogSheet = R"(
QDialog { background-color: #2B2E33; }
QLabel, QCheckBox, QRadioButton, QGroupBox { color: #D9DCE1; background: transparent; }
QLabel:disabled, QCheckBox:disabled, QRadioButton:disabled { color: #6A6E76; }
QComboBox, QLineEdit {
  background: #1C1E22; color: #D9DCE1; border: 1px solid #3E4249; border-radius: 3px; padding: 2px 6px;
  min-height: 18px; selection-background-color: #F29A2E; selection-color: #17191D;
}
QComboBox { padding-right: 20px; }
QComboBox::down-arrow { image: url(@ARROWS@/down.png); width: 9px; height: 5px; }
QComboBox::down-arrow:disabled { image: url(@ARROWS@/down-off.png); }
QSpinBox {
  background: #1C1E22; color: #D9DCE1; border: 1px solid #3E4249; border-radius: 3px; padding: 1px 2px;
  padding-right: 16px; min-height: 18px; selection-background-color: #F29A2E; selection-color: #17191D;
}
QSpinBox:focus { border-color: #F29A2E; }
QSpinBox::up-button, QSpinBox::down-button {
  subcontrol-origin: border; width: 15px; border: none; border-left: 1px solid #3E4249; background: #2C2F35;
}
QSpinBox::up-button { subcontrol-position: top right; border-top-right-radius: 3px; }
QSpinBox::down-button { subcontrol-position: bottom right; border-bottom-right-radius: 3px; }
QSpinBox::up-button:hover, QSpinBox::down-button:hover { background: #3A3E45; }
QSpinBox::up-arrow { image: url(@ARROWS@/up.png); width: 9px; height: 5px; }
QSpinBox::down-arrow { image: url(@ARROWS@/down.png); width: 9px; height: 5px; }
QComboBox:hover, QLineEdit:focus { border-color: #F29A2E; }
QComboBox:disabled, QLineEdit:disabled { color: #6A6E76; }
QComboBox QAbstractItemView {
  background: #1C1E22; color: #D9DCE1; border: 1px solid #3E4249;
  selection-background-color: #F29A2E; selection-color: #17191D;
}
QPushButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #42464E, stop:1 #2C2F35);
  border: 1px solid #15171A; border-radius: 3px; padding: 4px 14px; min-width: 64px; color: #D9DCE1;
}
QPushButton:hover, QPushButton:default { border-color: #F29A2E; }
QPushButton:pressed { background: #1C1E22; }
QPushButton:disabled { color: #6A6E76; border-color: #24272C; }
QToolButton { background: transparent; border: 1px solid transparent; border-radius: 3px; padding: 2px; color: #D9DCE1; }
QToolButton:hover { background: #3A3E45; border-color: #F29A2E; }
QToolButton:checked, QToolButton:pressed { background: #1C1E22; border-color: #3E4249; }
QToolButton#addfavButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #42464E, stop:1 #2C2F35); border-color: #15171A;
}
QToolButton#addfavButton:hover { border-color: #F29A2E; }
QToolButton#addfavButton:disabled { background: #2B2E33; border-color: #24272C; }
QTreeView, QListView, QTableView {
  background: #1C1E22; alternate-background-color: #212328; color: #D9DCE1; border: 1px solid #3E4249;
  selection-background-color: #5A3C16; selection-color: #FFFFFF; outline: none;
}
QTreeView::item, QListView::item { padding: 1px 2px; }
QTreeView::item:hover, QListView::item:hover { background: #2A2D33; }
QTreeView::item:selected, QListView::item:selected { background: #5A3C16; color: #FFFFFF; }
QHeaderView { background: #33373D; }
QHeaderView::section {
  background: #33373D; color: #F29A2E; border: none; border-right: 1px solid #1C1E22; padding: 3px 6px;
  font-weight: bold;
}
QSplitter::handle { background: #2B2E33; }
QMenu { background: #24272C; color: #D9DCE1; border: 1px solid #3E4249; padding: 3px; }
QMenu::item { padding: 3px 18px 3px 18px; }
QMenu::item:selected { background: #F29A2E; color: #17191D; }
QMenu::item:disabled { color: #5C6068; }
QMenu::separator { height: 1px; background: #3E4249; margin: 3px 6px; }
QToolTip { background: #CCBBBB; color: #000000; border: 1px solid #EEE0E0; }
)";

// The sheet's arrows: small amber triangles drawn into the process's own
// temporary folder (removed at the exit; one a killed run left is swept
// away by the next start), drawn again should the folder have gone.
QString ArrowFolder() {
  const std::string temp = GetTempDirectory();
  if (temp.empty()) return {};
  const QString folder = QString::fromStdString(temp) + QStringLiteral("DialogArrows");
  auto draw = [&folder](const QString& name, bool up, const QColor& colour) {
    const QString file = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(file)) return true;
    QImage image(9, 5, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QPolygonF down({QPointF(0, 0), QPointF(9, 0), QPointF(4.5, 5)});
    const QPolygonF rise({QPointF(0, 5), QPointF(9, 5), QPointF(4.5, 0)});
    p.drawPolygon(up ? rise : down);
    p.end();
    return image.save(file, "PNG");
  };
  if (!QDir().mkpath(folder)) return {};
  const bool drawn = draw(QStringLiteral("down.png"), false, Amber) && draw(QStringLiteral("up.png"), true, Amber) &&
                     draw(QStringLiteral("down-off.png"), false, Disabled);
  return drawn ? folder : QString();
}

QString DialogStyleSheet() {
  QString sheet = QString::fromLatin1(DialogSheet) + DarkScrollBarSheet(10);
  const QString arrows = ArrowFolder();
  if (arrows.isEmpty()) {
    // Without the pictures the style draws its own arrows.
    static const QRegularExpression withArrow(QStringLiteral("[^\\n]*@ARROWS@[^\\n]*\\n"));
    return sheet.remove(withArrow);
  }
  return sheet.replace(QLatin1String("@ARROWS@"), arrows);
}

QPalette DialogPalette(QPalette pal) {
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool off = group == QPalette::Disabled;
    pal.setColor(group, QPalette::Window, Face);
    pal.setColor(group, QPalette::WindowText, off ? Disabled : Text);
    pal.setColor(group, QPalette::Base, Well);
    pal.setColor(group, QPalette::AlternateBase, Well.lighter(110));
    pal.setColor(group, QPalette::Text, off ? Disabled : Text);
    pal.setColor(group, QPalette::PlaceholderText, Disabled);
    pal.setColor(group, QPalette::Button, Face.lighter(115));
    pal.setColor(group, QPalette::ButtonText, off ? Disabled : Text);
    pal.setColor(group, QPalette::BrightText, Amber);
    pal.setColor(group, QPalette::Light, Edge.lighter(120));
    pal.setColor(group, QPalette::Midlight, Edge);
    pal.setColor(group, QPalette::Mid, Face.darker(130));
    pal.setColor(group, QPalette::Dark, Shadow);
    pal.setColor(group, QPalette::Shadow, Shadow.darker(150));
    pal.setColor(group, QPalette::Highlight, Amber);
    pal.setColor(group, QPalette::HighlightedText, Ink);
    pal.setColor(group, QPalette::Link, Amber);
    pal.setColor(group, QPalette::ToolTipBase, QColor(0xCC, 0xBB, 0xBB));
    pal.setColor(group, QPalette::ToolTipText, Qt::black);
  }
  return pal;
}

// The size, type and date columns as wide as their texts; the name column
// takes what is left, scroll bar or not.
void FitColumns(QTreeView* view) {
  if (!view || !view->model()) return;
  QHeaderView* header = view->header();
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  const int columns = view->model()->columnCount(view->rootIndex());
  for (int c = 1; c < columns; ++c)
    if (!view->isColumnHidden(c)) view->resizeColumnToContents(c);
}

// A dialog opened while one of the program's windows stays on top (the
// lamp window, the piano window, a floating sheet) stays on top as well:
// otherwise that window could lie over the dialog that waits for the user.
void KeepAboveOnTopWindows(QWidget* dialog) {
  if (!dialog->isWindow() || dialog->isVisible()) return;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == dialog || !window->isVisible() || window->windowType() == Qt::ToolTip) continue;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
      return;
    }
  }
}

}  // namespace

QString DarkScrollBarSheet(int thickness) {
  return QStringLiteral(
             "QScrollBar:vertical { background: #1C1E22; width: %1px; margin: 0; }\n"
             "QScrollBar:horizontal { background: #1C1E22; height: %1px; margin: 0; }\n"
             "QScrollBar::handle:vertical { background: #4A4E56; border-radius: 3px; min-height: 20px; }\n"
             "QScrollBar::handle:horizontal { background: #4A4E56; border-radius: 3px; min-width: 20px; }\n"
             "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }\n"
             "QScrollBar::add-page, QScrollBar::sub-page { background: none; }\n"
             "QAbstractScrollArea::corner { background: #1C1E22; }\n")
      .arg(thickness);
}

void ApplyDialogLook(QWidget* dialog) {
  if (!dialog) return;
  dialog->setPalette(DialogPalette(dialog->palette()));
  dialog->setAutoFillBackground(true);
  dialog->setStyleSheet(DialogStyleSheet());
  KeepAboveOnTopWindows(dialog);
}

void PrepareFileDialog(QFileDialog* dialog) {
  if (!dialog) return;
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  ApplyDialogLook(dialog);
  if (dialog->isWindow()) {
    const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() - QSize(16, 48) : QSize(760, 460);
    dialog->resize(dialog->size().expandedTo(QSize(760, 460)).boundedTo(room));
  }
  auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = dialog->findChild<QFileSystemModel*>();
  if (!view || !model) return;
  view->header()->setStretchLastSection(false);
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] { FitColumns(view); });
  QObject::connect(dialog, &QFileDialog::directoryEntered, view, [view] { FitColumns(view); });
  FitColumns(view);
}

}  // namespace vs
