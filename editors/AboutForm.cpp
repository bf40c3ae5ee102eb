#include "editors/AboutForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

#include "controls/ImageList.h"
#include "controls/MyTransBtn.h"
#include "controls/TransImages.h"
#include "core/ProgramPaths.h"
#include "core/ProgramVersion.h"
#include "core/Style.h"
#include "editors/DialogParts.h"
#include "framework/MLang.h"
#include "editors/PanelStyle.h"
#include "framework/PanelWell.h"
#include "framework/RichEdEx.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

constexpr int ClientWidth = 440, ClientHeight = 268;
// The credits' window: the text moves up through it and comes in again
// from its lower edge.
constexpr int CreditsWidth = 200, CreditsHeight = 120;
// The well's rim above and below that window.
constexpr int CreditsInset = 5;

}  // namespace

const std::vector<TAboutForm::TLink>& TAboutForm::Links() {
  static const std::vector<TLink> links = {
      {"Qt", "https://www.qt.io/"},
      {"RtAudio", "https://www.music.mcgill.ca/~gary/rtaudio/"},
      {"RtMidi", "https://www.music.mcgill.ca/~gary/rtmidi/"},
      {"JACK", "https://jackaudio.org/"},
      {"libsndfile", "https://libsndfile.github.io/libsndfile/"},
      {"libzip", "https://libzip.org/"},
      {"libjpeg-turbo", "https://libjpeg-turbo.org/"},
  };
  return links;
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName("AboutForm");
  setWindowTitle("About");
  panel::ApplyPanelStyle(this);
  setFixedSize(ClientWidth, ClientHeight);

  FAboutPic = new TSSImage(this);
  FAboutPic->setObjectName("AboutPic");
  FAboutPic->SetTransparent(true);
  FAboutPic->setGeometry(0, 0, ClientWidth, 84);
  FAboutPic->OnClick = [this](QWidget*) { close(); };

  FTitleImage = new TSSImage(this);
  FTitleImage->setObjectName("TitleImage");
  FTitleImage->SetPicture(QImage(QString::fromStdString(ProgramPaths().AppPath + "Artwork/Logo.bmp")));
  FTitleImage->move(14, 96);

  FVersionLabel = new QLabel("v" + QString::fromStdString(ProgramVersion()), this);
  FVersionLabel->setObjectName("VersionLabel");
  FVersionLabel->setGeometry(18, 142, 190, 18);
  FVersionLabel->setStyleSheet(QStringLiteral("color: #F29A2E; font-weight: bold; font-size: 13px;"));

  auto* subtitle = CaptionLabel(this, "SubtitleLabel", "Drum machine and step sequencer");
  subtitle->setGeometry(18, 162, 196, 16);
  KeepTextCondensed(subtitle);
  auto* builtWith = CaptionLabel(this, "BuiltWithLabel", "Built with");
  builtWith->setGeometry(18, 190, 196, 14);

  // The links, in rows as wide as the column.
  int x = 18, y = 206;
  for (const TLink& link : Links()) {
    auto* label = new QLabel(this);
    label->setObjectName(QString(link.Caption).remove('-') + "Link");
    label->setText(QStringLiteral("<a href=\"%1\" style=\"color:#D9DCE1; text-decoration:none\">%2</a>")
                       .arg(link.Address, link.Caption));
    label->setToolTip(link.Address);
    label->setAccessibleName(link.Caption);
    label->setCursor(Qt::PointingHandCursor);
    label->adjustSize();
    if (x > 18 && x + label->width() > 214) {
      x = 18;
      y += 16;
    }
    label->move(x, y);
    x += label->width() + 12;
    connect(label, &QLabel::linkActivated, this, [this](const QString& address) { OpenLink(address.toStdString()); });
  }

  FCreditsPanel = new TPanelWell(this);
  FCreditsPanel->setObjectName("CreditsPanel");
  FCreditsPanel->setGeometry(226, 96 - CreditsInset, CreditsWidth, CreditsHeight + 2 * CreditsInset);
  // The text moves through a window inside the well's rim, never over it.
  auto* creditsView = new QWidget(FCreditsPanel);
  creditsView->setObjectName("CreditsView");
  creditsView->setGeometry(0, CreditsInset, CreditsWidth, CreditsHeight);
  FCreditsEdit = new TRichEditEx(creditsView);
  FCreditsEdit->setObjectName("CreditsEdit");
  FCreditsEdit->setReadOnly(true);
  FCreditsEdit->setFrameShape(QFrame::NoFrame);
  FCreditsEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FCreditsEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FCreditsEdit->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; color: #D9DCE1; border: none; }"));
  FCreditsEdit->viewport()->setAutoFillBackground(false);
  FCreditsEdit->document()->setDocumentMargin(8);
  FCreditsEdit->viewport()->installEventFilter(this);
  FCreditsEdit->setGeometry(0, 0, CreditsWidth, CreditsHeight);

  FOkBtn = DialogButton(this, "OkBtn", "ok");
  FOkBtn->move(ClientWidth - 76 - 14, ClientHeight - 24 - 14);
  FOkBtn->OnClick = [this](QWidget*) { close(); };

  FAnimTimer.setInterval(16);
  connect(&FAnimTimer, &QTimer::timeout, this, &TAboutForm::AnimTimerTimer);
  FScrollTimer.setInterval(150);
  connect(&FScrollTimer, &QTimer::timeout, this, &TAboutForm::ScrollTimerTimer);
}

int TAboutForm::SlideLeft(int screenWidth, int windowWidth, int k) {
  return screenWidth - static_cast<int>(std::lround((screenWidth + windowWidth) / 2 * std::sin(k / 12.0)));
}

void TAboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QRect area = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
  // The style's picture is read at every showing.
  // The credits are read in the program's language, again when it changed.
  if (const std::string credits = LanguageTextFile("AboutTxt", ".rtf"); credits != FCreditsFile) {
    const std::optional<std::string> rtf = ReadFileBytes(credits);
    FCreditsEdit->LoadRTF(rtf ? *rtf : std::string());
    FCreditsFile = credits;
  }
  // A window of empty space after the text: it scrolls out whole before it
  // comes in again.
  FCreditsEdit->resize(CreditsWidth, FCreditsEdit->TextHeight() + CreditsHeight);
  FAboutPic->SetPicture(QImage(QString::fromStdString(StyleFilePath("AboutPic.BMP"))));
  FAnimStep = 0;
  move(area.left() + SlideLeft(area.width(), frameGeometry().width(), 0),
       area.top() + (area.height() - frameGeometry().height()) / 2);
  FAnimTimer.start();
  FCreditsEdit->move(0, 0);
  FScrollTimer.start();
}

void TAboutForm::AnimTimerTimer() {
  if (++FAnimStep >= 18) {
    FAnimStep = 18;
    FAnimTimer.stop();
  }
  const QRect area = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
  move(area.left() + SlideLeft(area.width(), frameGeometry().width(), FAnimStep), y());
}

void TAboutForm::ScrollTimerTimer() {
  const int height = FCreditsEdit->height();
  if (height <= 0) return;
  // Up by a pixel; past its end the text comes in again from below.
  FCreditsEdit->move(0, ((FCreditsEdit->y() - (CreditsHeight + 1)) % height) + CreditsHeight);
}

void TAboutForm::hideEvent(QHideEvent* event) {
  FAnimTimer.stop();
  FScrollTimer.stop();
  QDialog::hideEvent(event);
}

void TAboutForm::closeEvent(QCloseEvent* event) {
  FAboutPic->SetPicture(QImage());
  QDialog::closeEvent(event);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FCreditsEdit->viewport() && event->type() == QEvent::MouseButtonPress) {
    FScrollTimer.setInterval(FScrollTimer.interval() == 150 ? 50 : 150);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutForm::OpenLink(const std::string& address) {
  FWebLink.Url = address;
  FWebLink.Execute();
}

}  // namespace vs
