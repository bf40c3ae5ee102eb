#include "editors/SettingsForm.h"

namespace vs {

TSettingsForm::TSettingsForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("SettingsForm");
  setWindowTitle(tr("Channel settings"));
}

}  // namespace vs
