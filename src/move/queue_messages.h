#pragma once
// What the user reads about a queue of moves: the one question before it, its progress, its end,
// and what the next start says of a queue a kill cut short. Each folder's own outcome is told in
// the single move's words.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "move/move_queue.h"
#include "platform/progress_window.h"

namespace mirafold::move {

// A folder and what is said of it.
struct FolderLine {
  std::wstring folder;
  std::wstring text;
};

// The folders chosen for a queue, planned.
struct QueueChoice {
  std::vector<QueuedMove> moves;
  std::vector<FolderLine> refused;  // will not move, and why
  std::vector<FolderLine> notes;    // what each move's own confirmation would add
};

// What a move's confirmation says beyond its first paragraph.
std::wstring notesOf(const std::wstring& confirmation);

std::wstring queueQuestion(const QueueChoice& choice, const std::wstring& destinationFolder);

platform::ProgressView queueProgressView(const QueueProgress& progress,
                                         std::chrono::steady_clock::duration elapsed);

// Each folder's outcome, the queue's moves first, then those that never joined it.
std::wstring queueEndText(const QueueChoice& choice, const QueueEnd& end);

// Nothing when no folder is left to name.
std::optional<std::wstring> queueCutShortText(const QueueAccount& account);

}  // namespace mirafold::move
