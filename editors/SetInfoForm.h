#pragma once
// The song information editor. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TSetInfoForm : public QWidget {
  Q_OBJECT

public:
  explicit TSetInfoForm(QWidget* parent = nullptr);
};

}  // namespace vs
