#include "framework/AMTipDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "controls/ImageList.h"
#include "controls/NumBar.h"
#include "controls/WindowTools.h"
#include "core/PatternCommands.h"
#include "framework/PanelLook.h"
#include "framework/PanelWell.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

constexpr int ClientWidth = 225, ClientHeight = 203;
// Beside the caption's text, a desktop's title bar holds an icon and up to
// three buttons, with some room around them.
constexpr int CaptionRoom = 100;

}  // namespace

int& LastTipIndex() {
  static int index = -1;
  return index;
}

QStringList ReadTipsFile(const QString& fileName) {
  QStringList tips;
  const std::optional<std::string> bytes = ReadFileBytes(fileName.toStdString());
  if (!bytes) return tips;
  for (const QString& line : QString::fromUtf8(bytes->data(), qsizetype(bytes->size())).split('\n')) {
    const QString tip = line.trimmed();
    if (!tip.isEmpty()) tips << tip;
  }
  return tips;
}

TTipForm::TTipForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  // A tool window: a caption and a close button, nothing to minimise or
  // maximise.
  setObjectName("TipForm");
  setFixedSize(ClientWidth, ClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, look::Panel);
  pal.setColor(QPalette::WindowText, look::Text);
  setPalette(pal);
  setAutoFillBackground(true);

  ReadThisBitmap = new QLabel(this);
  ReadThisBitmap->setObjectName("ReadThisBitmap");
  ReadThisBitmap->setPixmap(QPixmap::fromImage(LoadResourceBitmap("ReadThis")));
  ReadThisBitmap->setGeometry(8, 6, 209, 28);

  Bevel = new TPanelWell(this);
  Bevel->setObjectName("Bevel1");
  Bevel->setGeometry(4, 36, 217, 145);

  lblTip = new QLabel(this);
  lblTip->setObjectName("lblTip");
  lblTip->setGeometry(8, 40, 209, 137);
  lblTip->setWordWrap(true);
  lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTip->setContentsMargins(4, 2, 4, 2);
  QFont font = lblTip->font();
  font.setPixelSize(12);
  lblTip->setFont(font);

  SelBar = new TNumBar(this);
  SelBar->setObjectName("SelBar");
  SelBar->SetShowNumber(false);
  SelBar->SetArrowsWidth(23);
  SelBar->SetRange(0, 0);
  SelBar->setGeometry(4, 184, 217, 16);
  SelBar->OnChange = [this](QWidget*) { ShowTip(); };
}

void TTipForm::FitToCaption() {
  // The desktop draws the caption in its own face, bold in most: in the
  // program's face, bold, the caption gets its room, the window keeping at
  // least its own width; the tip's parts widen with it.
  QFont bold = QApplication::font();
  bold.setBold(true);
  const int width = std::max(ClientWidth, QFontMetrics(bold).horizontalAdvance(windowTitle()) + CaptionRoom);
  setFixedSize(width, ClientHeight);
  const int grow = width - ClientWidth;
  ReadThisBitmap->setGeometry(8 + grow / 2, 6, 209, 28);
  Bevel->setGeometry(4, 36, 217 + grow, 145);
  lblTip->setGeometry(8, 40, 209 + grow, 137);
  SelBar->setGeometry(4, 184, 217 + grow, 16);
}

void TTipForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowTitleChange) FitToCaption();
}

void TTipForm::ShowTip() {
  const int index = SelBar->Position();
  if (Tips.isEmpty() || index < 0 || index >= Tips.size()) {
    lblTip->clear();
    return;
  }
  LastTipIndex() = index;
  lblTip->setText(Tips[index]);
}

void TTipForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize framed = FramedSize(this);
    MoveIntoPlace(this, GetWorkArea(*screen).center() - QPoint(framed.width() / 2, framed.height() / 2),
                  TKeepClear::Caption);
  }
  const int count = static_cast<int>(Tips.size());
  SelBar->SetRange(0, count - 1);
  SelBar->SetPosition(count > 0 ? (Random ? Random(count) : ProgramRandom(count)) : 0);
  // Without tips there is nothing to page through.
  SelBar->setEnabled(count > 1);
  ShowTip();
}

void TTipForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

TAMTipDialog::TAMTipDialog(QObject* parent) : QObject(parent) { setObjectName("TipsBox"); }

bool TAMTipDialog::Execute(QWidget* parent) {
  TTipForm form(parent);
  FForm = &form;
  if (OnExecute) OnExecute(*this);
  form.setWindowTitle(TipDialogCaption);
  form.Tips = Tips;
  form.Random = Random;
  const bool ok = form.exec() == QDialog::Accepted;
  FForm = nullptr;
  if (OnExecuted) OnExecuted(*this);
  return ok;
}

}  // namespace vs
