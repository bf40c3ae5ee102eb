#include "editors/InfoForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "controls/GoToWeb.h"
#include "controls/MoveBevel.h"
#include "controls/MyTransBtn.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/RichEdEx.h"
#include "model/Song.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

constexpr int Margin = (TInfoForm::FormWidth - TInfoForm::TextWidth) / 2;  // 7
constexpr int BevelHeight = 10;
constexpr int TextTop = 44;
constexpr int MinTextHeight = 80;
constexpr int ScreenReserve = 100;
const QColor LinkColour{0x60, 0x60, 0x60};

}  // namespace

TInfoForm::TInfoForm(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("InfoForm");
  setWindowTitle(QStringLiteral("Loop info"));
  panel::ApplyPanelStyle(this);

  MoveBevel1 = new TMoveBevel(this);
  MoveBevel1->setObjectName("MoveBevel1");
  MoveBevel1->MoveControl = this;
  MoveBevel1->setGeometry(Margin, 5, TextWidth, BevelHeight);
  MoveBevel1->installEventFilter(this);

  TitleLabel = new QLabel(this);
  TitleLabel->setObjectName("TitleLabel");
  QFont f = TitleLabel->font();
  f.setPixelSize(14);
  f.setBold(true);
  TitleLabel->setFont(f);
  TitleLabel->setProperty("role", "readout");
  TitleLabel->setGeometry(Margin + 2, BevelHeight + 9, TextWidth - 30, 20);

  CloseBtn = CloseButton(this, "CloseBtn");
  CloseBtn->setAccessibleName(QStringLiteral("Close"));
  CloseBtn->move(FormWidth - Margin - CloseBtn->width(), BevelHeight + 11);
  CloseBtn->OnClick = [this](QWidget*) { close(); };

  TopLine = new TGroove(this, "TopLine");
  TopLine->setGeometry(0, TextTop - 5, FormWidth, 2);

  InfoEdit = new TRichEditEx(this);
  InfoEdit->setObjectName("InfoEdit");
  InfoEdit->setAccessibleName(QStringLiteral("Info"));
  InfoEdit->setReadOnly(true);
  InfoEdit->setTextInteractionFlags(Qt::NoTextInteraction);
  InfoEdit->setFocusPolicy(Qt::NoFocus);
  InfoEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SetPaperLook(InfoEdit);
  InfoEdit->setGeometry(Margin, TextTop, TextWidth, MinTextHeight);
  InfoEdit->viewport()->installEventFilter(this);

  BottomLine = new TGroove(this, "BottomLine");
  URLEdit = new QLabel(this);
  URLEdit->setObjectName("URLEdit");
  URLEdit->setCursor(Qt::PointingHandCursor);
  QPalette pal = URLEdit->palette();
  pal.setColor(QPalette::WindowText, LinkColour.lighter(190));
  URLEdit->setPalette(pal);
  QFont lf = URLEdit->font();
  lf.setUnderline(true);
  URLEdit->setFont(lf);
  URLEdit->installEventFilter(this);

  setFocusPolicy(Qt::StrongFocus);
  resize(FormWidth, TextTop + MinTextHeight + 4);
}

void TInfoForm::ShowSongInfo(const SongInfo& info) {
  FillSongInfo(info);
  show();
  raise();
  activateWindow();
  setFocus();
}

void TInfoForm::FillSongInfo(const SongInfo& info) {
  TitleLabel->setText(QString::fromStdString(info.Title));
  FUrl = info.WebAddress;
  URLEdit->setText(QString::fromStdString(info.WebAddress));
  URLEdit->setAccessibleName(URLEdit->text());
  const bool link = !info.WebAddress.empty();
  URLEdit->setVisible(link);
  BottomLine->setVisible(link);
  InfoEdit->LoadRTF(info.InfoRTF);
  if (QWidget* focused = focusWidget()) focused->clearFocus();
  FitToText();
}

void TInfoForm::FitToText() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  int h = std::max(MinTextHeight, InfoEdit->TextHeight() + 8);
  const bool cut = h > area.height() - ScreenReserve;
  if (cut) h = area.height() - ScreenReserve;
  InfoEdit->setVerticalScrollBarPolicy(cut ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  InfoEdit->setGeometry(Margin, TextTop, TextWidth, h);
  const int bottom = TextTop + h;
  int clientHeight = bottom + 4;
  if (!URLEdit->isHidden()) {
    BottomLine->setGeometry(0, bottom + 2, FormWidth, 2);
    URLEdit->setGeometry(Margin + 2, bottom + 7, TextWidth - 4, 16);
    clientHeight = bottom + 28;
  }
  resize(FormWidth, clientHeight);
  // In the middle of the screen's height; across, where it is (the middle
  // the first time).
  const int left = isVisible() ? x() : area.left() + (area.width() - FormWidth) / 2;
  move(left, area.top() + (area.height() - clientHeight) / 2);
}

void TInfoForm::ShowCaption() {
  setWindowTitle(Caption ? Caption() : QString::fromStdString(WindowText("SetInfoForm", "%Form%", "Loop info")));
}

void TInfoForm::showEvent(QShowEvent* event) {
  ShowCaption();
  QWidget::showEvent(event);
}

void TInfoForm::keyPressEvent(QKeyEvent*) { close(); }

void TInfoForm::paintEvent(QPaintEvent*) {
  // The dialog frame: a raised edge around the panel.
  QPainter p(this);
  p.fillRect(rect(), panel::Face);
  p.setPen(panel::Edge);
  p.drawLine(0, 0, width() - 1, 0);
  p.drawLine(0, 0, 0, height() - 1);
  p.setPen(panel::Shadow);
  p.drawLine(width() - 1, 0, width() - 1, height() - 1);
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    PressAt = mouse->globalPosition().toPoint();
    if (watched == InfoEdit->viewport()) {
      close();
      return true;
    }
  } else if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool moved = (mouse->globalPosition().toPoint() - PressAt).manhattanLength() > 3;
    if (watched == URLEdit && !moved && mouse->button() == Qt::LeftButton) {
      OpenUrlInBrowser(FUrl);
      return true;
    }
    // A click on the bar closes the viewer; a drag only moves it.
    if (watched == MoveBevel1 && !moved) close();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vs
