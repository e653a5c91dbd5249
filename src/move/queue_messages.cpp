#include "move/queue_messages.h"

#include <utility>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"
#include "move/progress_view.h"

namespace mirafold::move {
namespace {

constexpr std::wstring_view kParagraph = L"\n\n";  // as a move's confirmation parts its notes

std::wstring lineOf(const std::wstring& folder, const std::wstring& text) {
  // A name may hold direction marks: each folder shown as one plain line.
  return L"\r\n" + base::fillIn(kQueueFolderLine, {base::plainLine(folder), text});
}

std::wstring linesOf(const std::vector<FolderLine>& lines) {
  std::wstring text;
  for (const FolderLine& line : lines) text += lineOf(line.folder, line.text);
  return text;
}

}  // namespace

std::wstring notesOf(const std::wstring& confirmation) {
  const std::size_t cut = confirmation.find(kParagraph);
  return cut == std::wstring::npos ? std::wstring() : confirmation.substr(cut + kParagraph.size());
}

std::wstring queueQuestion(const QueueChoice& choice, const std::wstring& destinationFolder) {
  std::uint64_t files = 0, bytes = 0;
  for (const QueuedMove& move : choice.moves) {
    files += move.files;
    bytes += move.bytes;
  }
  std::wstring text =
      base::fillIn(kConfirmMoveQueue, {std::to_wstring(choice.moves.size()), std::to_wstring(files),
                                       base::formatSize(bytes), destinationFolder});
  if (!choice.refused.empty()) {
    text += L"\r\n\r\n" + std::wstring(kQueueWillNotMove) + linesOf(choice.refused);
  }
  if (!choice.notes.empty()) text += L"\r\n" + linesOf(choice.notes);
  return text;
}

platform::ProgressView queueProgressView(const QueueProgress& progress,
                                         std::chrono::steady_clock::duration elapsed) {
  platform::ProgressView view = progressViewOf(progress.total, elapsed);
  view.title = base::fillIn(kQueueMovingTitle,
                            {std::to_wstring(progress.index + 1), std::to_wstring(progress.count),
                             base::nameOf(progress.folder)});
  return view;
}

std::wstring queueEndText(const QueueChoice& choice, const QueueEnd& end) {
  std::size_t moved = 0;
  std::wstring lines;
  for (std::size_t i = 0; i < choice.moves.size(); ++i) {
    const MovePlan& plan = choice.moves[i].plan;
    if (i >= end.results.size()) {
      lines += lineOf(plan.origin, std::wstring(kQueueNotStarted));
      continue;
    }
    const MoveResult& result = end.results[i];
    if (result.outcome == MoveOutcome::Done || result.outcome == MoveOutcome::DoneOldFolderLeft) {
      ++moved;
    }
    std::wstring said = endMessage(plan, result).value_or(std::wstring());
    if (result.outcome == MoveOutcome::Failed && result.noRights) said += kQueueAloneForRights;
    lines += lineOf(plan.origin, said);
  }
  const std::size_t all = choice.moves.size() + choice.refused.size();
  return base::fillIn(kQueueEnded, {std::to_wstring(moved), std::to_wstring(all)}) + lines +
         linesOf(choice.refused);
}

std::optional<std::wstring> queueCutShortText(const QueueAccount& account) {
  if (account.moved.empty() && account.notMoved.empty()) return std::nullopt;
  std::wstring text(kQueueCutShort);
  for (const auto& [heading, folders] : {std::pair{kQueueCutShortMoved, &account.moved},
                                         std::pair{kQueueCutShortNotMoved, &account.notMoved}}) {
    if (folders->empty()) continue;
    text += L"\r\n" + std::wstring(heading);
    for (const std::wstring& folder : *folders) text += L"\r\n" + base::plainLine(folder);
  }
  return text;
}

}  // namespace mirafold::move
