#pragma once
// What a folder list shows for one folder: the folder's ancestors from the drive root down to the
// folder itself, then its visible subfolders in list order, each a folder, a link or a link whose
// target is gone. The system's listing and its order are the Win32 side's; this is the model.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/link_state.h"

namespace mirafold::platform {

enum class RowKind : std::uint8_t { Folder, Link, BrokenLink };

// Names back to back, name i from starts[i] to starts[i + 1]: a few bytes a row beside the name
// itself, for folders of a hundred thousand subfolders.
class Subfolders {
 public:
  std::size_t size() const { return starts_.size() - 1; }
  std::wstring_view operator[](std::size_t i) const {
    return std::wstring_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }
  std::size_t characters() const { return text_.size(); }
  bool isLink(std::size_t i) const { return links_[i]; }
  RowKind kind(std::size_t i) const {
    return !links_[i] ? RowKind::Folder : broken_[i] ? RowKind::BrokenLink : RowKind::Link;
  }
  void reserve(std::size_t count, std::size_t characters);
  void add(std::wstring_view name, RowKind kind);
  void setKind(std::size_t i, RowKind kind);
  std::size_t bytes() const;

 private:
  std::wstring text_;
  std::vector<std::uint32_t> starts_{0};
  std::vector<bool> links_, broken_;  // one bit a subfolder each
};

// The links among a folder's rows, to be probed apart from the rows themselves (which show each
// as a whole link until its answer comes).
struct LinksToProbe {
  std::wstring folder;
  std::vector<std::size_t> rows;
  std::vector<std::wstring> paths;  // path i of row i
};

// Probes each link in turn and tells whether its target is gone, until `told` returns false.
// Only links are probed, so a folder of plain subfolders costs nothing more to show.
void probeLinks(LinkProbe& probe, const LinksToProbe& links,
                const std::function<bool(std::size_t row, bool broken)>& told);

class FolderRowModel {
 public:
  FolderRowModel() = default;
  // `path` absolute (separators after it are dropped, a root's own kept); empty when it has no
  // root.
  static std::optional<FolderRowModel> make(std::wstring path, Subfolders subfolders);

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
  // What a screen reader says: the label, and what the row's mark shows.
  std::wstring spokenName(std::size_t row) const;
  // The full path of the row's folder, in the same form as path().
  std::wstring folder(std::size_t row) const;
  RowKind kind(std::size_t row) const {
    return row >= ancestors_.size() && row < size() ? subfolders_.kind(row - ancestors_.size())
                                                    : RowKind::Folder;
  }
  LinksToProbe links() const;
  // The answer of a probe of the link at that row.
  void setBroken(std::size_t row, bool broken);
  // The bytes the rows take up, for measuring them.
  std::size_t bytes() const;

 private:
  struct Span {
    std::size_t begin, end;
  };

  std::wstring path_;
  std::vector<Span> ancestors_;  // within path_
  Subfolders subfolders_;
};

}  // namespace mirafold::platform
