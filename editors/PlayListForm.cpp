#include "editors/PlayListForm.h"

namespace vs {

TPlayListForm::TPlayListForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("PlayListForm");
  setWindowTitle(tr("Playlist"));
}

}  // namespace vs
