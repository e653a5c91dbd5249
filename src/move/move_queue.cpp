#include "move/move_queue.h"

#include <algorithm>
#include <string_view>

#include "base/path_rules.h"

namespace mirafold::move {
namespace {

constexpr std::wstring_view kHeader = L"mirafold-queue 1";
constexpr std::wstring_view kFolderKey = L"folder=";
// Not ".journal": the moves' recovery reads only its own kind of entry.
constexpr std::wstring_view kQueueJournalName = L"moves.queue";

std::wstring queueJournalPath(const std::wstring& journalFolder) {
  return base::joinPath(journalFolder, kQueueJournalName);
}

// One folder a line, as a move's journal keeps its paths: a Windows path holds no line break.
std::wstring queueText(const std::vector<QueuedMove>& moves) {
  std::wstring text(kHeader);
  text += L'\n';
  for (const QueuedMove& move : moves) {
    text += kFolderKey;
    text += move.plan.origin;
    text += L'\n';
  }
  return text + L"end\n";
}

// A folder a queue can hold: on a local drive, by a plain path. Nothing else is looked at, or
// named, from a file any of the user's programs may have written.
bool isQueueablePath(std::wstring_view folder) {
  return base::rootLength(folder) == 3 && base::isPlainAbsolutePath(folder);
}

// Nothing when cut short or not ours.
std::optional<std::vector<std::wstring>> parseQueue(std::wstring_view text) {
  std::vector<std::wstring> folders;
  bool header = false;
  while (!text.empty()) {
    const std::size_t cut = text.find(L'\n');
    const std::wstring_view line = text.substr(0, cut);
    text = cut == std::wstring_view::npos ? std::wstring_view{} : text.substr(cut + 1);
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
    } else if (line == L"end") {
      return folders;
    } else if (line.starts_with(kFolderKey) && folders.size() < kMostQueuedFolders &&
               isQueueablePath(line.substr(kFolderKey.size()))) {
      folders.emplace_back(line.substr(kFolderKey.size()));
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

QueueEnd runQueue(const std::vector<QueuedMove>& moves, const QueueServices& s) {
  QueueEnd end;
  const std::wstring journal = queueJournalPath(s.journalFolder);
  end.start = s.files.writeJournal(journal, queueText(moves));
  if (!end.start.ok()) return end;

  // Each move's share of the bar: as planned until the move counts its own.
  std::vector<MoveProgress> shares;
  for (const QueuedMove& move : moves) shares.push_back({0, move.bytes, 0, move.files, {}});
  const auto tell = [&](std::size_t index) {
    if (!s.progress) return;
    QueueProgress progress{index, moves.size(), moves[index].plan.origin, {}};
    for (const MoveProgress& share : shares) {
      progress.total.bytesDone += share.bytesDone;
      progress.total.bytesTotal += share.bytesTotal;
      progress.total.filesDone += share.filesDone;
      progress.total.filesTotal += share.filesTotal;
    }
    progress.total.currentFile = shares[index].currentFile;
    s.progress(progress);
  };

  for (std::size_t i = 0; i < moves.size() && !s.cancel.requested(); ++i) {
    tell(i);
    MoveProgress& share = shares[i];
    // A rename counts nothing: its share stays as planned.
    const auto counted = [&](const MoveProgress& p) {
      if (p.bytesTotal > 0 || p.filesTotal > 0) {
        share = p;
      } else {
        share.currentFile = p.currentFile;
      }
      tell(i);
    };
    // A file in use undoes the move rather than waiting on the user: the others go on.
    FolderMover mover({s.files, s.clock, s.cancel, counted, s.journalFolder});
    const MoveResult& result = end.results.emplace_back(mover.run(moves[i].plan));
    // The counts say what moved: a move that did not leaves them.
    const bool moved =
        result.outcome == MoveOutcome::Done || result.outcome == MoveOutcome::DoneOldFolderLeft;
    share = moved ? MoveProgress{share.bytesTotal,
                                 share.bytesTotal,
                                 share.filesTotal,
                                 share.filesTotal,
                                 {}}
                  : MoveProgress{};
  }
  return end;
}

void forgetQueue(platform::MoveFileSystem& files, const std::wstring& journalFolder) {
  files.deleteJournal(queueJournalPath(journalFolder));
}

std::optional<UnfinishedQueue> findUnfinishedQueue(platform::MoveFileSystem& files,
                                                   const std::wstring& journalFolder) {
  const std::wstring path = queueJournalPath(journalFolder);
  platform::EntryInfo info;
  if (!files.inspect(path, info).ok() || info.kind != platform::EntryKind::File) {
    return std::nullopt;
  }
  std::wstring text;
  UnfinishedQueue queue;
  // One that cannot be read names nothing, and goes.
  if (files.readJournal(path, text).ok()) queue.folders = parseQueue(text).value_or(queue.folders);
  return queue;
}

QueueAccount accountOf(platform::MoveFileSystem& files, const UnfinishedQueue& queue,
                       const std::vector<PendingMove>& recovered) {
  QueueAccount account;
  for (const std::wstring& folder : queue.folders) {
    // Undoing a finished move journals the way back, from the new place to the old.
    const bool told =
        std::any_of(recovered.begin(), recovered.end(), [&](const PendingMove& pending) {
          return base::samePath(pending.entry.plan.origin, folder) ||
                 base::samePath(pending.entry.plan.final, folder);
        });
    platform::EntryInfo info;
    if (told || !files.inspect(folder, info).ok()) continue;
    // Only real folders joined the queue: a link in one's place is its move's.
    if (info.kind == platform::EntryKind::Folder) account.notMoved.push_back(folder);
    if (info.kind == platform::EntryKind::Link) account.moved.push_back(folder);
  }
  return account;
}

}  // namespace mirafold::move
