#pragma once
// The render dialog. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TWAVRenderForm : public QWidget {
  Q_OBJECT

public:
  explicit TWAVRenderForm(QWidget* parent = nullptr);
};

}  // namespace vs
