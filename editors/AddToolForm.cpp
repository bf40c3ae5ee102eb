#include "editors/AddToolForm.h"

namespace vs {

TAddToolForm::TAddToolForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("AddToolForm");
  setWindowTitle(tr("Add a tool"));
}

}  // namespace vs
