#include "toolbox/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace vs {

namespace {
std::atomic<IMessageBoxHandler*> Handler{nullptr};
}

IMessageBoxHandler* SetMessageBoxHandler(IMessageBoxHandler* handler) { return Handler.exchange(handler); }

void SplitHintText(std::string_view text, std::string& caption, std::string& message) {
  size_t bar = text.find('|');
  if (bar == std::string_view::npos) {
    caption.clear();
    message.assign(text);
  } else {
    caption.assign(text.substr(0, bar));
    message.assign(text.substr(bar + 1));
  }
}

int DefaultMessageResult(uint32_t flags) {
  switch (flags & MbButtonMask) {
    case MbOKCancel:
    case MbYesNoCancel:
    case MbCancel: return IdCancel;
    case MbYesNo: return IdNo;
    default: return IdOK;
  }
}

int HintMessageBox(std::string_view text, uint32_t flags) {
  std::string caption, message;
  SplitHintText(text, caption, message);
  if (IMessageBoxHandler* h = Handler.load()) return h->ShowMessage(caption, message, flags);
  if (caption.empty()) std::fprintf(stderr, "%s\n", message.c_str());
  else std::fprintf(stderr, "%s: %s\n", caption.c_str(), message.c_str());
  return DefaultMessageResult(flags);
}

}  // namespace vs
