#include "editors/AboutForm.h"

namespace vs {

TAboutForm::TAboutForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("AboutForm");
  setWindowTitle(tr("About VorbelSteps"));
}

}  // namespace vs
