#include "editors/WAVRenderForm.h"

namespace vs {

TWAVRenderForm::TWAVRenderForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("WAVRenderForm");
  setWindowTitle(tr("Render to WAV"));
}

}  // namespace vs
