#pragma once
// The program settings window. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TMIDIForm : public QWidget {
  Q_OBJECT

public:
  explicit TMIDIForm(QWidget* parent = nullptr);
};

}  // namespace vs
