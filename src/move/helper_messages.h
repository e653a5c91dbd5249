#pragma once
// What the window and its elevated helper say to each other over their pipe: the window's start
// and cancel, the helper's progress and its end. One line of UTF-8 a message, fields apart by tabs,
// texts escaped, so that a path or a system message never splits a line.

#include <optional>
#include <string>
#include <string_view>

#include "move/folder_mover.h"
#include "move/move_progress.h"

namespace mirafold::move {

struct HelperMessage {
  // Start: the window has the helper on its pipe, and the helper may begin; before it, nothing.
  enum class Kind { Start, Progress, Cancel, End };
  Kind kind = Kind::Cancel;
  // Start: the move the user agreed to, its direction and both ends; the helper plans it again
  // on the disk as it is, or finds it in its own journal.
  MovePlan plan;
  MoveProgress progress;  // Progress
  MoveResult result;      // End
  // End: the helper's own checks refused the move before it touched anything; shown as it is.
  std::optional<std::wstring> refusal;
};

std::string encodeMessage(const HelperMessage& message);

// Takes the bytes as they arrive and hands out each whole message. A line that is no message
// (or longer than any message can be) makes the reader garbled for good: the other end is not
// our program, and nothing more it says is believed.
class HelperMessageReader {
 public:
  void feed(std::string_view bytes);
  std::optional<HelperMessage> next();
  bool garbled() const { return garbled_; }

 private:
  std::string pending_;
  bool garbled_ = false;
};

}  // namespace mirafold::move
