#include "editors/WAVRenderForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/MyTransBtn.h"
#include "controls/TrackSlider.h"
#include "controls/WindowTools.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/MLang.h"
#include "model/Preferences.h"
#include "model/RenderOptions.h"
#include "toolbox/MessageBox.h"
#include "toolbox/MLBase.h"
#include "toolbox/PathTools.h"

namespace vs {

TWAVRenderForm::TWAVRenderForm(QWidget* parent) : QDialog(parent) {
  setObjectName("WAVRenderForm");
  setWindowTitle(QStringLiteral("WAV rendering"));
  panel::ApplyPanelStyle(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 12);
  layout->setSpacing(8);

  auto* groups = new QHBoxLayout;
  MethodGroup = new panel::TPanelGroup(QStringLiteral("Method"), this);
  MethodGroup->setObjectName("MethodGroup");
  auto* method = new QVBoxLayout(MethodGroup);
  auto radio = [this, method](const char* name, const char* text, const char* hint) {
    auto* r = new QRadioButton(QString::fromUtf8(text), MethodGroup);
    r->setObjectName(name);
    if (*hint) SetHint(r, QString::fromUtf8(hint));
    connect(r, &QRadioButton::clicked, this, [this] { MethodClick(); });
    method->addWidget(r);
    return r;
  };
  CutRemain = radio("CutRemain", "Cut remainder", "");
  LeaveRemain = radio("LeaveRemain", "Leave remainder", "use this to render a song");
  WrapRemain = radio("WrapRemain", "Wrap remainder", "use this to render a loop");
  groups->addWidget(MethodGroup, 1);

  OptionsGroup = new panel::TPanelGroup(QStringLiteral("Options"), this);
  OptionsGroup->setObjectName("OptionsGroup");
  auto* options = new QVBoxLayout(OptionsGroup);
  SaveNFOBox = new QCheckBox(QStringLiteral("Save NFO file"), OptionsGroup);
  SaveNFOBox->setObjectName("SaveNFOBox");
  connect(SaveNFOBox, &QCheckBox::clicked, this, [this](bool on) { RenderOptions().SaveNFO = on; });
  MonoBox = new QCheckBox(QStringLiteral("Render to MONO"), OptionsGroup);
  MonoBox->setObjectName("MonoBox");
  SetHint(MonoBox, QStringLiteral("a mono wave file will need twice less disk space"));
  connect(MonoBox, &QCheckBox::clicked, this, [this](bool on) {
    RenderOptions().Mono = on;
    if (Prefs) Prefs->MonoRender = on;
    ShowSpace();
  });
  options->addWidget(SaveNFOBox);
  options->addWidget(MonoBox);
  options->addStretch(1);
  groups->addWidget(OptionsGroup, 1);
  layout->addLayout(groups);

  // The figures of the render, in a dark well.
  auto* well = new QFrame(this);
  well->setObjectName("FiguresWell");
  well->setStyleSheet(QStringLiteral(
      "QFrame#FiguresWell { background: #1C1E22; border: 1px solid #14151A; border-radius: 3px; }"));
  auto* figures = new QGridLayout(well);
  figures->setContentsMargins(10, 6, 10, 6);
  figures->setHorizontalSpacing(16);
  figures->setVerticalSpacing(2);
  auto readout = [well](const char* name) {
    auto* l = new QLabel(well);
    l->setObjectName(name);
    l->setProperty("role", "readout");
    return l;
  };
  PatLabel = readout("PatLabel");
  LengthLabel = readout("LengthLabel");
  TempoLabel = readout("TempoLabel");
  SpaceLabel = readout("SpaceLabel");
  figures->addWidget(PatLabel, 0, 0);
  figures->addWidget(LengthLabel, 0, 1);
  figures->addWidget(TempoLabel, 1, 0);
  figures->addWidget(SpaceLabel, 1, 1);
  layout->addWidget(well);

  RenderGauge = new TRedGauge(this);
  RenderGauge->setObjectName("RenderGauge");
  RenderGauge->setAccessibleName(QStringLiteral("Progress"));
  RenderGauge->SetMax(100);
  RenderGauge->setFixedHeight(16);
  layout->addWidget(RenderGauge);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  OkButton = DialogButton(this, "OkButton", "ok");
  CancelButton = DialogButton(this, "CancelButton", "cancel");
  OkButton->OnClick = [this](QWidget*) { OkButtonClick(); };
  CancelButton->OnClick = [this](QWidget*) { CancelButtonClick(); };
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  layout->addLayout(buttons);

  setFixedWidth(360);
}

QString TWAVRenderForm::Word(const char* key, const char* english) const {
  return QString::fromStdString(WindowText(objectName().toStdString(), key, english));
}

bool TWAVRenderForm::Execute(const std::string& fileName) {
  FRenderFileName = fileName;
  Written = false;
  exec();
  return Written;
}

void TWAVRenderForm::showEvent(QShowEvent* event) {
  PrepareRenderForm();
  // As wide as the language's texts need, never narrower than the design.
  setFixedWidth(std::max(360, layout()->sizeHint().width()));
  QDialog::showEvent(event);
}

void TWAVRenderForm::PrepareRenderForm() {
  const TRenderOptions& options = RenderOptions();
  CutRemain->setChecked(options.Remainder == RemainderCut);
  LeaveRemain->setChecked(options.Remainder == RemainderLeave);
  WrapRemain->setChecked(options.Remainder == RemainderWrap);
  SaveNFOBox->setChecked(options.SaveNFO);
  SetCheckedQuiet(MonoBox, options.Mono);

  Figures = PrepareRender();
  ShowRenderBar(1);
  setWindowTitle(Word("@Rendering", "Rendering ") + QString::fromStdString(ExtractFileName(FRenderFileName)));
  TempoLabel->setText(Word("TempoLabel", "Tempo: ") + QString::number(Figures.Tempo));
  LengthLabel->setText(Word("LengthLabel", "Length: ") + QString::fromStdString(Figures.LengthText));
  ShowSpace();
  RenderGauge->SetPosition(0);
  RenderGauge->hide();
  OkButton->show();
  CancelButton->show();
  adjustSize();
}

void TWAVRenderForm::ShowRenderBar(int bar) {
  PatLabel->setText(Word("PatLabel", "Pattern: ") + QString::number(bar) + QLatin1Char('/') +
                    QString::number(Figures.Bars));
}

void TWAVRenderForm::ShowSpace() {
  const int64_t kb = RenderOptions().Mono ? Figures.MonoKb : Figures.StereoKb;
  SpaceLabel->setText(Word("SpaceLabel", "Disk space: ") + QString::number(kb) + QStringLiteral("Kb"));
}

void TWAVRenderForm::MethodClick() {
  TRenderOptions& options = RenderOptions();
  options.Remainder = LeaveRemain->isChecked() ? RemainderLeave
                      : WrapRemain->isChecked() ? RemainderWrap
                                                : RemainderCut;
}

void TWAVRenderForm::OkButtonClick() {
  if (FRendering) return;
  OkButton->hide();
  RenderGauge->SetPosition(0);
  RenderGauge->show();
  RenderCancelled.store(false);
  std::string error;
  if (!StartRender(FRenderFileName, &error)) {
    RenderGauge->hide();
    OkButton->show();
    HintMessageBox("Error|" + error, MbOK | MbIconError);
    return;
  }
  FRendering = true;
}

void TWAVRenderForm::CancelButtonClick() {
  if (FRendering)
    RenderCancelled.store(true);
  else
    QDialog::reject();
}

void TWAVRenderForm::reject() { CancelButtonClick(); }

void TWAVRenderForm::closeEvent(QCloseEvent* event) {
  // The render ends first: the close only asks it to stop.
  if (FRendering) {
    RenderCancelled.store(true);
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TWAVRenderForm::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !FRendering) {
    OkButtonClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TWAVRenderForm::RenderProgress(int percent) {
  if (!FRendering) return;
  RenderGauge->SetPosition(percent);
  ShowRenderBar(RenderBar());
}

void TWAVRenderForm::RenderDone(bool) {
  if (!FRendering) return;
  WaitForRender();
  FRendering = false;
  const TRenderResult result = LastRenderResult();
  Written = result.Ok;
  CancelButton->hide();
  OkButton->show();
  if (!result.Ok) HintMessageBox("Error|" + result.Error, MbOK | MbIconError);
  done(result.Ok ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace vs
