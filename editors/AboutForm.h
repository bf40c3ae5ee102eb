#pragma once
// The about box. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TAboutForm : public QWidget {
  Q_OBJECT

public:
  explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace vs
