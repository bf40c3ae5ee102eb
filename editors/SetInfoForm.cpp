#include "editors/SetInfoForm.h"

namespace vs {

TSetInfoForm::TSetInfoForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("SetInfoForm");
  setWindowTitle(tr("Song information"));
}

}  // namespace vs
