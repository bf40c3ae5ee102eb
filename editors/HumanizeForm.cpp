#include "editors/HumanizeForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "controls/MyTransBtn.h"
#include "controls/TrackSlider.h"
#include "core/PatternCommands.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/MLang.h"
#include "toolbox/MLBase.h"

namespace vs {

THumanizeForm::THumanizeForm(HumanizeOptions& options, QWidget* parent) : QDialog(parent), Options(options) {
  setObjectName("HumanizeForm");
  setWindowTitle(QStringLiteral("Humanize"));
  panel::ApplyPanelStyle(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 12);
  layout->setSpacing(8);

  AffectGroup = new panel::TPanelGroup(QStringLiteral("Affect..."), this);
  AffectGroup->setObjectName("AffectGroup");
  auto* boxes = new QHBoxLayout(AffectGroup);
  boxes->setSpacing(14);
  auto box = [this, boxes](const char* name, const char* text, bool HumanizeOptions::*field) {
    auto* b = new QCheckBox(QString::fromUtf8(text), AffectGroup);
    b->setObjectName(name);
    connect(b, &QCheckBox::toggled, this, [this, field](bool on) { Options.*field = on; });
    boxes->addWidget(b);
    return b;
  };
  VolBox = box("VolBox", "volume", &HumanizeOptions::Volume);
  PanBox = box("PanBox", "pan", &HumanizeOptions::Pan);
  PitchBox = box("PitchBox", "pitch", &HumanizeOptions::Pitch);
  MixBox = box("MixBox", "mix", &HumanizeOptions::Mix);
  layout->addWidget(AffectGroup);

  PercentageBox = new panel::TPanelGroup(QString(), this);
  PercentageBox->setObjectName("PercentageBox");
  auto* slider = new QVBoxLayout(PercentageBox);
  HumanizeSlider = new TTrackSlider(PercentageBox);
  HumanizeSlider->setObjectName("HumanizeSlider");
  HumanizeSlider->setAccessibleName(QStringLiteral("Humanize"));
  HumanizeSlider->SetMin(0);
  HumanizeSlider->SetMax(100);
  HumanizeSlider->SetOrientation(Qt::Horizontal);
  HumanizeSlider->SetTickMarks(TTickMark::tmBottomRight);
  HumanizeSlider->SetFrequency(10);
  HumanizeSlider->SetBigTicks(1);
  HumanizeSlider->LineSize = 1;
  HumanizeSlider->PageSize = 10;
  HumanizeSlider->setFixedHeight(30);
  HumanizeSlider->OnChange = [this](QWidget*) {
    Options.Percent = HumanizeSlider->Position();
    UpdateCaption();
  };
  slider->addWidget(HumanizeSlider);
  layout->addWidget(PercentageBox);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  OkBtn = DialogButton(this, "OkBtn", "ok");
  OkBtn->OnClick = [this](QWidget*) { accept(); };
  bottom->addWidget(OkBtn);
  layout->addLayout(bottom);

  // The language's caption is a format: filled again after a change.
  if (TMultiLang* words = AttachWindowWords(this)) words->AfterLanguageChanged = [this](int) { UpdateCaption(); };
  ShowOptions();
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

void THumanizeForm::ShowOptions() {
  VolBox->setChecked(Options.Volume);
  PanBox->setChecked(Options.Pan);
  PitchBox->setChecked(Options.Pitch);
  MixBox->setChecked(Options.Mix);
  HumanizeSlider->SetPosition(Options.Percent);
  UpdateCaption();
}

void THumanizeForm::UpdateCaption() {
  const std::string format = WindowText(objectName().toStdString(), "PercentageBox", "Humanize %d");
  PercentageBox->setTitle(QString::fromStdString(FormatText(format, {HumanizeSlider->Position()}) + "%"));
}

void THumanizeForm::showEvent(QShowEvent* event) {
  ShowOptions();
  QDialog::showEvent(event);
}

void THumanizeForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vs
