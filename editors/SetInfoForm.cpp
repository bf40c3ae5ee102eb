#include "editors/SetInfoForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "controls/MyTransBtn.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/RichEdEx.h"
#include "model/Song.h"

namespace vs {

TSetInfoForm::TSetInfoForm(QWidget* parent) : QDialog(parent) {
  setObjectName("SetInfoForm");
  setWindowTitle(QStringLiteral("Loop info"));
  panel::ApplyPanelStyle(this);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 12, 14, 12);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(6);

  TitleLabel = CaptionLabel(this, "TitleLabel", "Title");
  TitleEdit = new QLineEdit(this);
  TitleEdit->setObjectName("TitleEdit");
  TitleEdit->setAccessibleName(QStringLiteral("Title"));
  grid->addWidget(TitleLabel, 0, 0);
  grid->addWidget(TitleEdit, 0, 1);

  InfoLabel = CaptionLabel(this, "InfoLabel", "Info (you can paste any RTF data (like bitmaps) too)");
  grid->addWidget(InfoLabel, 1, 0, 1, 2);
  InfoEdit = new TRichEditEx(this);
  InfoEdit->setObjectName("InfoEdit");
  InfoEdit->setAccessibleName(QStringLiteral("Info"));
  SetPaperLook(InfoEdit);
  InfoEdit->setMinimumSize(400, 220);
  grid->addWidget(InfoEdit, 2, 0, 1, 2);

  URLLabel = CaptionLabel(this, "URLLabel", "URL");
  URLEdit = new QLineEdit(this);
  URLEdit->setObjectName("URLEdit");
  URLEdit->setAccessibleName(QStringLiteral("URL"));
  grid->addWidget(URLLabel, 3, 0);
  grid->addWidget(URLEdit, 3, 1);

  auto* bottom = new QHBoxLayout;
  ShowInfoBox = new QCheckBox(QStringLiteral("Show it on open"), this);
  ShowInfoBox->setObjectName("ShowInfoBox");
  bottom->addWidget(ShowInfoBox);
  bottom->addStretch(1);
  OkBtn = DialogButton(this, "OkBtn", "ok");
  bottom->addWidget(OkBtn);
  grid->addLayout(bottom, 4, 0, 1, 2);
  grid->setRowStretch(2, 1);

  connect(TitleEdit, &QLineEdit::textChanged, this, [this] { TitleEditChange(); });
  connect(InfoEdit, &QTextEdit::textChanged, this, [this] { InfoEditChange(); });
  connect(URLEdit, &QLineEdit::textChanged, this, [this] { URLEditChange(); });
  connect(ShowInfoBox, &QCheckBox::clicked, this, [this] { ShowInfoBoxClick(); });
  OkBtn->OnClick = [this](QWidget*) { accept(); };
  resize(460, 400);
  CurrentSong().AddListener(this);
  ShowSongInfo(CurrentSong().Info);
}

TSetInfoForm::~TSetInfoForm() { CurrentSong().RemoveListener(this); }

void TSetInfoForm::SongReplaced(TSong& song) { ShowSongInfo(song.Info); }

void TSetInfoForm::SongValueChanged(TSongValue value) {
  if (value == TSongValue::Info) ShowSongInfo(CurrentSong().Info);
}

void TSetInfoForm::ShowSongInfo(const SongInfo& info) {
  Filling = true;
  // What is typed stays as it is (the cursor too) when the song holds it.
  if (TitleEdit->text() != QString::fromStdString(info.Title)) TitleEdit->setText(QString::fromStdString(info.Title));
  if (InfoEdit->RTF() != info.InfoRTF) InfoEdit->LoadRTF(info.InfoRTF);
  if (URLEdit->text() != QString::fromStdString(info.WebAddress))
    URLEdit->setText(QString::fromStdString(info.WebAddress));
  ShowInfoBox->setChecked(info.ShowOnOpen);
  Filling = false;
}

void TSetInfoForm::TitleEditChange() {
  if (Filling) return;
  TSong& song = CurrentSong();
  song.Info.Title = TitleEdit->text().toStdString();
  song.NotifyValue(TSongValue::Info);
  song.SetModified();
}

void TSetInfoForm::InfoEditChange() {
  if (Filling) return;
  TSong& song = CurrentSong();
  song.Info.InfoRTF = InfoEdit->RTF();
  TickShowOnOpen();
  song.NotifyValue(TSongValue::Info);
  song.SetModified();
}

void TSetInfoForm::URLEditChange() {
  if (Filling) return;
  TSong& song = CurrentSong();
  song.Info.WebAddress = URLEdit->text().toStdString();
  TickShowOnOpen();
  song.NotifyValue(TSongValue::Info);
  song.SetModified();
}

void TSetInfoForm::ShowInfoBoxClick() {
  if (Filling) return;
  TSong& song = CurrentSong();
  song.Info.ShowOnOpen = ShowInfoBox->isChecked();
  song.NotifyValue(TSongValue::Info);
  song.SetModified();
}

void TSetInfoForm::TickShowOnOpen() {
  if (!isVisible() || ShowInfoBox->isChecked()) return;
  ShowInfoBox->setChecked(true);
  CurrentSong().Info.ShowOnOpen = true;
}

}  // namespace vs
