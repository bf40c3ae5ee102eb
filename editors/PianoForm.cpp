#include "editors/PianoForm.h"

namespace vs {

TPianoForm::TPianoForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("PianoForm");
  setWindowTitle(tr("Piano roll"));
}

}  // namespace vs
