#include "framework/AMTipDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include "controls/ImageList.h"
#include "controls/NumBar.h"
#include "core/PatternCommands.h"
#include "framework/PanelLook.h"
#include "framework/PanelWell.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

constexpr int ClientWidth = 225, ClientHeight = 203;

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

TTipForm::TTipForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
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

  auto* bevel = new TPanelWell(this);
  bevel->setObjectName("Bevel1");
  bevel->setGeometry(4, 36, 217, 145);

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
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
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
