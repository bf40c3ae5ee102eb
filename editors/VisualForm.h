#pragma once
// The step lamp window. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TVisualForm : public QWidget {
  Q_OBJECT

public:
  explicit TVisualForm(QWidget* parent = nullptr);
};

}  // namespace vs
