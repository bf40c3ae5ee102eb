#pragma once
// The song information viewer. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TInfoForm : public QWidget {
  Q_OBJECT

public:
  explicit TInfoForm(QWidget* parent = nullptr);
};

}  // namespace vs
