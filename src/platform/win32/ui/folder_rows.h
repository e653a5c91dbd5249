#pragma once
// What a folder list shows for one folder: the folder's ancestors from the drive root down to the
// folder itself, then its visible subfolders in name order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirafold::win32 {

class FolderRows {
 public:
  // Reads the folder that the text names (absolute or relative, or a bare drive such as "d:").
  // Empty when it is not an existing folder whose listing can be read.
  static std::optional<FolderRows> read(const std::wstring& text);

  // Absolute; a trailing backslash only at a drive root.
  const std::wstring& path() const { return path_; }
  std::size_t size() const { return ancestors_.size() + subfolderCount(); }
  // The row of the folder itself, the last of its ancestors.
  std::size_t currentRow() const { return ancestors_.empty() ? 0 : ancestors_.size() - 1; }
  // Ancestors and the folder itself are shown open, subfolders closed.
  bool isOpen(std::size_t row) const { return row < ancestors_.size(); }
  std::size_t depth(std::size_t row) const {
    return row < ancestors_.size() ? row : ancestors_.size();
  }
  // The text of the row: the root as written ("C:\"), otherwise the folder's own name.
  std::wstring label(std::size_t row) const;
  // The full path of the row's folder, in the same form as path().
  std::wstring folder(std::size_t row) const;
  // A subfolder that is a junction or a symbolic link to a folder.
  bool isLink(std::size_t row) const {
    return row >= ancestors_.size() && row < size() && links_[row - ancestors_.size()];
  }
  // The bytes the rows take up, for measuring them.
  std::size_t bytes() const;

 private:
  struct Span {
    std::size_t begin, end;
  };

  std::size_t subfolderCount() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  std::wstring_view subfolder(std::size_t i) const {
    return std::wstring_view(names_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }

  std::wstring path_;
  std::vector<Span> ancestors_;  // within path_
  // The subfolders' names back to back in list order, name i from starts_[i] to starts_[i + 1]:
  // a few bytes a row beside the name itself, for folders of a hundred thousand subfolders.
  std::wstring names_;
  std::vector<std::uint32_t> starts_;
  std::vector<bool> links_;  // one bit a subfolder, in list order
};

}  // namespace mirafold::win32
