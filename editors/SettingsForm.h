#pragma once
// The channel settings window. Created at start-up in its place in the window
// order; for now an empty window of its own class.

#include <QWidget>

namespace vs {

class TSettingsForm : public QWidget {
  Q_OBJECT

public:
  explicit TSettingsForm(QWidget* parent = nullptr);
};

}  // namespace vs
