#pragma once
// The playlist window. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TPlayListForm : public QWidget {
  Q_OBJECT

public:
  explicit TPlayListForm(QWidget* parent = nullptr);
};

}  // namespace vs
