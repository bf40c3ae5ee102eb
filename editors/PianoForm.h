#pragma once
// The piano roll and step graph window. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TPianoForm : public QWidget {
  Q_OBJECT

public:
  explicit TPianoForm(QWidget* parent = nullptr);
};

}  // namespace vs
