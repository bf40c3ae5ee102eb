#include "editors/MIDIForm.h"

namespace vs {

TMIDIForm::TMIDIForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("MIDIForm");
  setWindowTitle(tr("Settings"));
}

}  // namespace vs
