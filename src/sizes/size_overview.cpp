#include "sizes/size_overview.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <utility>

#include "base/path_rules.h"
#include "base/text.h"
#include "platform/folder_walk.h"

namespace mirafold::sizes {
namespace {

// Often enough to see the count move, rarely enough to cost nothing beside the listing.
constexpr std::size_t kFoldersPerReport = 64;

int compareFolded(const std::wstring& a, const std::wstring& b) {
  const auto [ia, ib] =
      std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
  if (ia == a.end()) return ib == b.end() ? 0 : -1;
  if (ib == b.end()) return 1;
  return std::towlower(*ia) < std::towlower(*ib) ? -1 : 1;
}

template <typename T>
int compareValues(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

bool measured(const SizeRow& row) { return row.state == SizeRow::State::Measured; }

// A row not measured sorts below every measured one, by size as by count.
std::int64_t sizeKey(const SizeRow& row) {
  return measured(row) ? static_cast<std::int64_t>(row.size.onDisk) : -1;
}
std::int64_t filesKey(const SizeRow& row) {
  return measured(row) ? static_cast<std::int64_t>(row.size.files) : -1;
}

std::wstring noteOf(const SizeRow& row, bool cancelled) {
  switch (row.state) {
    case SizeRow::State::Link:
      return std::wstring(kNoteLink);
    case SizeRow::State::Cloud:
      return std::wstring(kNoteCloud);
    case SizeRow::State::Waiting:
      return std::wstring(cancelled ? kNoteCancelled : kNoteWaiting);
    case SizeRow::State::Measured:
      break;
  }
  return row.size.unreadableFolders == 0
             ? std::wstring()
             : base::fillIn(kNoteUnreadable, {std::to_wstring(row.size.unreadableFolders)});
}

int compareBy(SizeColumn column, const SizeRow& a, const SizeRow& b) {
  switch (column) {
    case SizeColumn::Size:
      return compareValues(sizeKey(a), sizeKey(b));
    case SizeColumn::Files:
      return compareValues(filesKey(a), filesKey(b));
    case SizeColumn::LastChange:
      return compareValues(a.size.lastChange, b.size.lastChange);
    case SizeColumn::Note:
      return compareValues(static_cast<int>(a.state), static_cast<int>(b.state)) * 2 +
             compareValues(a.size.unreadableFolders, b.size.unreadableFolders);
    case SizeColumn::Folder:
      break;
  }
  return 0;
}

}  // namespace

std::vector<platform::MenuItem> SizeOverview::rowItems(const std::wstring& folder) const {
  if (folder.empty()) return {};
  return {{kCommandFolderSizes, std::wstring(kFolderSizesItem), true}};
}

void SizeOverview::show(const std::wstring& folder, const MoveFolders& moveFolders) {
  folder_ = folder;
  rows_.clear();
  column_ = SizeColumn::Size;
  ascending_ = false;
  unreadable_ = false;
  busy_ = true, cancelled_ = false;
  foldersSeen_ = 0, filesSeen_ = 0;
  stop_->store(false);
  s_.window.run(content(),
                {.sortBy = [this](int column) { sortBy(static_cast<SizeColumn>(column)); },
                 .items = [this](const std::vector<std::wstring>& keys) { return menuFor(keys); },
                 .chosen = [&](const std::vector<std::wstring>& keys,
                               int command) { choose(keys, command, moveFolders); },
                 .activate = {},
                 .stop = [stop = stop_] { stop->store(true); }},
                [this](const platform::TablePost& post) { measure(post); });
}

void SizeOverview::startMeasuring() {
  busy_ = true, cancelled_ = false;
  foldersSeen_ = 0, filesSeen_ = 0;
  stop_->store(false);
  s_.window.show(content());
  s_.window.start([this](const platform::TablePost& post) { measure(post); });
}

void SizeOverview::measure(const platform::TablePost& post) {
  // Only what the worker owns is touched here; the rows change on the window's thread.
  const std::wstring folder = folder_;
  const std::shared_ptr<std::atomic<bool>> stop = stop_;
  const auto timeText = [this](std::uint64_t time) {
    return time && s_.timeText ? s_.timeText(time) : std::wstring();
  };
  std::vector<platform::FolderEntry> entries;
  // Kept open: each subfolder is opened by its name inside it.
  std::unique_ptr<platform::HeldFolder> held;
  if (!s_.files.listInside(nullptr, folder, held, entries).ok()) {
    post([this] {
      unreadable_ = true, busy_ = false;
      s_.window.show(content());
    });
    return;
  }
  std::vector<SizeRow> found;
  for (const platform::FolderEntry& entry : entries) {
    const bool link = entry.info.kind == platform::EntryKind::Link;
    if (!link && entry.info.kind != platform::EntryKind::Folder) continue;
    const std::wstring path = base::joinPath(folder, entry.name);
    const SizeRow::State state = link                            ? SizeRow::State::Link
                                 : platform::entered(entry.info) ? SizeRow::State::Waiting
                                                                 : SizeRow::State::Cloud;
    SizeRow row{path, entry.name, state, {}};
    row.size.lastChange = entry.info.times.lastWrite;
    row.lastChangeText = timeText(row.size.lastChange);
    found.push_back(std::move(row));
  }
  post([this, found] {
    rows_ = found;
    sort();
    s_.window.show(content());
  });

  // Each measured row, and the count, handed over in batches: one post carries all that gathered
  // while the window's thread was busy, so that it sorts and builds the table once a batch, not
  // once a subfolder.
  struct Batch {
    std::mutex lock;
    std::vector<SizeRow> rows;
    std::size_t folders = 0;
    std::uint64_t files = 0;
    bool posted = false;
  };
  const auto batch = std::make_shared<Batch>();
  const auto hand = [&](const SizeRow* row, std::size_t folders, std::uint64_t files) {
    {
      const std::lock_guard hold(batch->lock);
      if (row) batch->rows.push_back(*row);
      batch->folders = folders, batch->files = files;
      if (std::exchange(batch->posted, true)) return;
    }
    post([this, batch] {
      std::vector<SizeRow> rows;
      {
        const std::lock_guard hold(batch->lock);
        rows = std::exchange(batch->rows, {});
        foldersSeen_ = batch->folders, filesSeen_ = batch->files;
        batch->posted = false;
      }
      took(std::move(rows));
    });
  };

  SeenFiles seen;
  std::size_t folders = 0;
  std::uint64_t files = 0;
  bool stopped = false;
  for (SizeRow& row : found) {
    if (row.state != SizeRow::State::Waiting) continue;
    std::size_t lastReport = 0;
    measureFolder(
        s_.files, row.path, row.size, seen, [&] { return stop->load(); },
        [&](const FolderSize& size) {
          if (size.folders - lastReport < kFoldersPerReport) return;
          lastReport = size.folders;
          hand(nullptr, folders + size.folders, files + size.files);
        },
        held.get());
    folders += row.size.folders;
    files += row.size.files;
    if (!row.size.complete) {
      stopped = true;
      break;
    }
    row.state = row.size.link ? SizeRow::State::Link : SizeRow::State::Measured;
    row.lastChangeText = timeText(row.size.lastChange);
    hand(&row, folders, files);
  }
  post([this, stopped] {
    busy_ = false, cancelled_ = stopped;
    s_.window.show(content());
  });
}

void SizeOverview::took(std::vector<SizeRow> measuredRows) {
  for (SizeRow& measuredRow : measuredRows) {
    const auto at = std::find_if(rows_.begin(), rows_.end(),
                                 [&](const SizeRow& row) { return row.path == measuredRow.path; });
    if (at != rows_.end()) *at = std::move(measuredRow);
  }
  sort();
  s_.window.show(content());
}

void SizeOverview::sort() {
  std::stable_sort(rows_.begin(), rows_.end(), [&](const SizeRow& a, const SizeRow& b) {
    int order = compareBy(column_, a, b);
    if (order == 0) order = compareFolded(a.name, b.name);
    return ascending_ ? order < 0 : order > 0;
  });
}

void SizeOverview::sortBy(SizeColumn column) {
  // Sizes, counts and times read best largest and latest first.
  ascending_ =
      column == column_ ? !ascending_ : column == SizeColumn::Folder || column == SizeColumn::Note;
  column_ = column;
  sort();
  s_.window.show(content());
}

platform::TableContent SizeOverview::content() const {
  platform::TableContent content{
      .sortColumn = static_cast<int>(column_), .ascending = ascending_, .busy = busy_};
  std::uint64_t total = 0;
  std::size_t done = 0;
  for (const SizeRow& row : rows_) {
    const bool known = measured(row);
    if (known) total += row.size.onDisk, ++done;
    content.rows.push_back({row.path,
                            {row.name, known ? base::formatSize(row.size.onDisk) : std::wstring(),
                             known ? std::to_wstring(row.size.files) : std::wstring(),
                             row.lastChangeText, noteOf(row, cancelled_)}});
  }
  if (unreadable_) {
    content.summary = base::fillIn(kFolderUnreadable, {folder_});
  } else if (busy_) {
    content.summary =
        base::fillIn(kWalking, {std::to_wstring(foldersSeen_), std::to_wstring(filesSeen_)});
  } else if (cancelled_) {
    content.summary =
        base::fillIn(kSummaryCancelled, {std::to_wstring(done), base::formatSize(total)});
  } else {
    content.summary =
        base::fillIn(kSummary, {folder_, std::to_wstring(rows_.size()), base::formatSize(total)});
  }
  return content;
}

std::vector<platform::MenuItem> SizeOverview::menuFor(const std::vector<std::wstring>& keys) const {
  std::vector<platform::MenuItem> items;
  if (keys.empty()) return items;
  // Only folders measured whole move: a link is one already, and a row still waiting has no size
  // to weigh the move by.
  const bool movable = !busy_ && std::all_of(keys.begin(), keys.end(), [&](const std::wstring& k) {
    return std::any_of(rows_.begin(), rows_.end(),
                       [&](const SizeRow& row) { return row.path == k && measured(row); });
  });
  items.push_back({kSizesMoveAway, std::wstring(kMoveHere), movable});
  // The headers sort with the mouse; these, with the keyboard.
  for (const std::wstring_view text : {kSortByName, kSortBySize, kSortByFiles, kSortByLastChange}) {
    items.push_back(
        {kSizesSortByFolder + static_cast<int>(items.size()) - 1, std::wstring(text), true});
  }
  return items;
}

void SizeOverview::choose(const std::vector<std::wstring>& keys, int command,
                          const MoveFolders& moveFolders) {
  const auto items = menuFor(keys);
  const bool offered = std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& i) {
    return i.command == command && i.enabled;
  });
  if (!offered) return;
  if (command != kSizesMoveAway)
    return sortBy(static_cast<SizeColumn>(command - kSizesSortByFolder));
  if (!moveFolders) return;
  moveFolders(keys);
  // Every row measured afresh, not only those moved: a folder moved is a link now, and a file
  // that also had a name in it is now counted where its other name stays.
  startMeasuring();
}

}  // namespace mirafold::sizes
