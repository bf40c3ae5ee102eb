#include "editors/InfoForm.h"

namespace vs {

TInfoForm::TInfoForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("InfoForm");
  setWindowTitle(tr("Song information"));
}

}  // namespace vs
