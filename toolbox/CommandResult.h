#pragma once
// What a command that can fail for a reason the user is told hands back:
// done, or not done with the message to show (a two-part "caption|text" or
// a plain line for the info bar, as the command's own texts are).

#include <string>
#include <utility>

namespace vs {

struct TCommandResult {
  bool Ok = true;
  std::string Message;  // why it failed; empty when Ok

  static TCommandResult Done() { return {}; }
  static TCommandResult Failed(std::string message) { return {false, std::move(message)}; }
  explicit operator bool() const { return Ok; }
  // Keeps the first failure: a later one adds nothing to its message.
  void Add(const TCommandResult& other) {
    if (other.Ok || !Ok) return;
    *this = other;
  }
};

}  // namespace vs
