#pragma once
// A message-box handler for tests: records every box and answers from a
// queue (or with the box's default answer). Installed for its lifetime.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "toolbox/MessageBox.h"

namespace vs {

class TRecordingMessageBox : public IMessageBoxHandler {
public:
  struct Box {
    std::string Caption;
    std::string Message;
    uint32_t Flags;
  };

  TRecordingMessageBox() { Previous = SetMessageBoxHandler(this); }
  ~TRecordingMessageBox() override { SetMessageBoxHandler(Previous); }
  TRecordingMessageBox(const TRecordingMessageBox&) = delete;
  TRecordingMessageBox& operator=(const TRecordingMessageBox&) = delete;

  // The next boxes answer with these buttons, in order.
  void Answer(int button) {
    std::lock_guard<std::mutex> g(Lock);
    Answers.push_back(button);
  }

  std::vector<Box> Boxes() const {
    std::lock_guard<std::mutex> g(Lock);
    return Shown;
  }
  size_t Count() const {
    std::lock_guard<std::mutex> g(Lock);
    return Shown.size();
  }

  int ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) override {
    std::lock_guard<std::mutex> g(Lock);
    Shown.push_back({caption, message, flags});
    if (Answers.empty()) return DefaultMessageResult(flags);
    int a = Answers.front();
    Answers.pop_front();
    return a;
  }

private:
  IMessageBoxHandler* Previous = nullptr;
  mutable std::mutex Lock;
  std::vector<Box> Shown;
  std::deque<int> Answers;
};

}  // namespace vs
