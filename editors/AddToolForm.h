#pragma once
// The dialog that adds a tool to the tools menu. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TAddToolForm : public QWidget {
  Q_OBJECT

public:
  explicit TAddToolForm(QWidget* parent = nullptr);
};

}  // namespace vs
