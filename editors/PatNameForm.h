#pragma once
// "Pattern %d name": the name of one pattern, as the playlist shows it
// over the pattern's column. Enter ends the dialog with the OK result.

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace vs {

class TPatNameForm : public QDialog {
  Q_OBJECT

public:
  explicit TPatNameForm(QWidget* parent = nullptr);

  // The caption for the pattern and the name to edit.
  void SetPattern(int pattern, const std::string& name);

  QLineEdit* PatNameEdit = nullptr;
};

// Edits a pattern's name in the dialog placed 8 pixels right of and above
// the given screen point (moved left to stay on the screen); the new name,
// or none when the dialog was cancelled.
std::optional<std::string> EditPatternName(QWidget* parent, int pattern, const std::string& name, QPoint at);

}  // namespace vs
