#pragma once
// What a folder list shows for one folder: the folder's ancestors from the drive root down to the
// folder itself, then its visible subfolders in name order.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mirafold::win32 {

class FolderRows {
 public:
  // Reads the folder that the text names (absolute or relative, or a bare drive such as "d:").
  // Empty when it is not an existing folder whose listing can be read.
  static std::optional<FolderRows> read(const std::wstring& text);

  // Absolute; a trailing backslash only at a drive root.
  const std::wstring& path() const { return path_; }
  std::size_t size() const { return ancestors_.size() + subfolders_.size(); }
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

 private:
  struct Span {
    std::size_t begin, end;
  };

  std::wstring path_;
  std::vector<Span> ancestors_;  // within path_
  std::vector<std::wstring> subfolders_;
};

}  // namespace mirafold::win32
