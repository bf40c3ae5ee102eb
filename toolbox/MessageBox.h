#pragma once
// The program's one message box. Code below the windows calls
// HintMessageBox; the window layer installs the handler that shows it. Without
// a handler (batch runs, tests) the text goes to standard error and the box
// answers with its most cautious button.

#include <cstdint>
#include <string>
#include <string_view>

namespace vs {

// Buttons (low nibble) and icon of a box.
enum MsgFlags : uint32_t {
  MbOK = 0x00,
  MbOKCancel = 0x01,
  MbYesNoCancel = 0x03,
  MbYesNo = 0x04,
  MbCancel = 0x08,  // a single Cancel button
  MbButtonMask = 0x0F,
  MbIconError = 0x10,
  MbIconQuestion = 0x20,
  MbIconWarning = 0x30,
  MbIconInformation = 0x40,
  MbIconMask = 0xF0,
};

// The button pressed.
enum MsgResult : int { IdOK = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

class IMessageBoxHandler {
public:
  virtual ~IMessageBoxHandler() = default;
  virtual int ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) = 0;
};

// Installs the handler (null: the standard-error fallback); returns the one
// it replaces.
IMessageBoxHandler* SetMessageBoxHandler(IMessageBoxHandler* handler);

// Splits "Caption|message" at the first "|"; without a bar the caption is
// empty (the window layer shows the program's title) and the whole text is
// the message.
void SplitHintText(std::string_view text, std::string& caption, std::string& message);

// Shows text split as above with the caller's buttons and icon; returns the
// button pressed.
int HintMessageBox(std::string_view text, uint32_t flags);

// The answer of a box that nobody can see: Cancel where there is one, No for
// Yes/No, else OK.
int DefaultMessageResult(uint32_t flags);

}  // namespace vs
