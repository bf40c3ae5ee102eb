#include "editors/VisualForm.h"

namespace vs {

TVisualForm::TVisualForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("VisualForm");
  setWindowTitle(tr("Steps"));
}

}  // namespace vs
