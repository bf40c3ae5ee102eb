#pragma once
// The handler behind HintMessageBox while the windows run: a modal
// QMessageBox with the caption, the text ("\r" breaks lines), the buttons
// and the icon the caller asked for. Installed for its lifetime.

#include <QString>

#include "toolbox/MessageBox.h"

namespace vs {

class TQtMessageBox : public IMessageBoxHandler {
public:
  TQtMessageBox();
  ~TQtMessageBox() override;
  TQtMessageBox(const TQtMessageBox&) = delete;
  TQtMessageBox& operator=(const TQtMessageBox&) = delete;

  int ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) override;

private:
  IMessageBoxHandler* Previous;
};

// A message text as the box shows it: CR LF and lone CR become line breaks.
QString MessageBoxText(const std::string& message);

// The program is asked to end (a TERM signal). Every box open now is
// answered for the end: No where the box asks it, else its most cautious
// answer. Until the end is over (or refused by the user), a box that only
// tells is not shown, nor a question that no window can show (no display,
// the main window hidden or minimised): they are answered so at once, with
// their text on standard error.
void AnswerBoxesForEnd();
void SetEndRequested(bool requested);
bool EndRequested();

}  // namespace vs
