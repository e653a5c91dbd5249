#pragma once
// The window of a folder's subfolders by size: each walked on a worker thread, the table filling
// as each is done, with a count and 取消; chosen rows moved to the folder on the right, leaving
// links, then measured afresh.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/move_file_system.h"
#include "platform/table_window.h"
#include "sizes/folder_sizes.h"
#include "sizes/size_messages.h"

namespace mirafold::sizes {

// The folder rows' command that opens the window (查看文件夹大小…).
inline constexpr int kCommandFolderSizes = 0x7302;

enum class SizeColumn { Folder = 0, Size, Files, LastChange, Note };
// What is left of the table's width goes to the scroll bar.
inline constexpr platform::TableColumn kSizeColumns[] = {{kColumnFolder, 220},
                                                         {kColumnSize, 86, true},
                                                         {kColumnFiles, 64, true},
                                                         {kColumnLastChange, 128, true},
                                                         {kColumnNote, 134}};

// The table's menu commands; never 0, which a menu reserves for "nothing chosen".
enum SizesCommand : int {
  kSizesMoveAway = 0x7401,
  kSizesSortByFolder,  // then one a column, in the columns' order
};

struct SizeServices {
  // Safe to call from the worker thread while the window's thread waits on the window.
  platform::FolderListing& files;
  platform::TableWindow& window;
  // A last-write time (100 ns units since 1601) as the user reads it, in local time.
  std::function<std::wstring(std::uint64_t)> timeText;
};

// Moves the folders, one after another, to the folder open on the right, leaving links.
using MoveFolders = std::function<void(const std::vector<std::wstring>& folders)>;

// One subfolder's row.
struct SizeRow {
  std::wstring path, name;
  // Cloud: a cloud folder, not on this PC (or not whole): listing it would fetch it, so it is not.
  enum class State { Waiting, Measured, Link, Cloud } state = State::Waiting;
  FolderSize size;
  // Of size.lastChange, made on the worker: the table is built often, the time read slowly.
  std::wstring lastChangeText;
};

class SizeOverview {
 public:
  explicit SizeOverview(SizeServices services) : s_(std::move(services)) {}

  // The folder rows' item, on any row.
  std::vector<platform::MenuItem> rowItems(const std::wstring& folder) const;
  // Shows the folder's subfolders until the window is closed.
  void show(const std::wstring& folder, const MoveFolders& moveFolders);

 private:
  // Worker thread: the folder listed and each subfolder measured, each posted as done.
  void measure(const platform::TablePost& post);
  platform::TableContent content() const;
  std::vector<platform::MenuItem> menuFor(const std::vector<std::wstring>& keys) const;
  void choose(const std::vector<std::wstring>& keys, int command, const MoveFolders& moveFolders);
  void sortBy(SizeColumn column);
  void sort();
  void startMeasuring();
  // On the window's thread: rows the worker measured, put in their places.
  void took(std::vector<SizeRow> measuredRows);

  SizeServices s_;
  std::wstring folder_;
  std::vector<SizeRow> rows_;
  SizeColumn column_ = SizeColumn::Size;
  bool ascending_ = false;
  bool busy_ = false, cancelled_ = false, unreadable_ = false;
  std::size_t foldersSeen_ = 0;
  std::uint64_t filesSeen_ = 0;
  std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace mirafold::sizes
