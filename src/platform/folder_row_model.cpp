#include "platform/folder_row_model.h"

#include <utility>

#include "base/path_rules.h"

namespace mirafold::platform {
namespace {

constexpr std::wstring_view kLinkSaid = L"（链接）";
constexpr std::wstring_view kBrokenLinkSaid = L"（链接，目标不存在）";

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring joined(const std::wstring& folder, std::wstring_view name) {
  std::wstring path = folder;
  if (!path.empty() && !isSeparator(path.back())) path += L'\\';
  return path.append(name);
}

}  // namespace

void Subfolders::reserve(std::size_t count, std::size_t characters) {
  text_.reserve(characters);
  starts_.reserve(count + 1);
  links_.reserve(count);
  broken_.reserve(count);
}

void Subfolders::add(std::wstring_view name, RowKind kind) {
  text_ += name;
  starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  links_.push_back(kind != RowKind::Folder);
  broken_.push_back(kind == RowKind::BrokenLink);
}

void Subfolders::setKind(std::size_t i, RowKind kind) {
  links_[i] = kind != RowKind::Folder;
  broken_[i] = kind == RowKind::BrokenLink;
}

std::size_t Subfolders::bytes() const {
  return text_.capacity() * sizeof(wchar_t) + starts_.capacity() * sizeof(std::uint32_t) +
         (links_.capacity() + broken_.capacity()) / 8;
}

void probeLinks(LinkProbe& probe, const LinksToProbe& links,
                const std::function<bool(std::size_t row, bool broken)>& told) {
  if (links.rows.empty()) return;
  const bool folderOnNetwork = probe.isOnNetwork(links.folder);
  for (std::size_t i = 0; i < links.rows.size(); ++i) {
    if (!told(links.rows[i], leadsNowhere(probe, links.paths[i], folderOnNetwork))) return;
  }
}

std::optional<FolderRowModel> FolderRowModel::make(std::wstring path, Subfolders subfolders) {
  const std::size_t root = base::rootLength(path);
  if (root == 0) return std::nullopt;
  while (path.size() > root && isSeparator(path.back())) path.pop_back();

  FolderRowModel rows;
  rows.path_ = std::move(path);
  rows.subfolders_ = std::move(subfolders);
  const std::wstring& text = rows.path_;
  rows.ancestors_.push_back({0, root});
  for (std::size_t begin = root; begin < text.size();) {
    if (isSeparator(text[begin])) {
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    rows.ancestors_.push_back({begin, end});
    begin = end;
  }
  return rows;
}

std::wstring FolderRowModel::label(std::size_t row) const {
  if (row < ancestors_.size()) {
    const Span span = ancestors_[row];
    return path_.substr(span.begin, span.end - span.begin);
  }
  return row < size() ? std::wstring(subfolders_[row - ancestors_.size()]) : std::wstring();
}

std::wstring FolderRowModel::spokenName(std::size_t row) const {
  switch (kind(row)) {
    case RowKind::Link:
      return label(row).append(kLinkSaid);
    case RowKind::BrokenLink:
      return label(row).append(kBrokenLinkSaid);
    case RowKind::Folder:
      break;
  }
  return label(row);
}

std::wstring FolderRowModel::folder(std::size_t row) const {
  if (row < ancestors_.size()) return path_.substr(0, ancestors_[row].end);
  if (row >= size()) return {};
  return joined(path_, subfolders_[row - ancestors_.size()]);
}

LinksToProbe FolderRowModel::links() const {
  LinksToProbe links{.folder = path_, .rows = {}, .paths = {}};
  for (std::size_t i = 0; i < subfolders_.size(); ++i) {
    if (!subfolders_.isLink(i)) continue;
    links.rows.push_back(ancestors_.size() + i);
    links.paths.push_back(joined(path_, subfolders_[i]));
  }
  return links;
}

void FolderRowModel::setBroken(std::size_t row, bool broken) {
  if (row < ancestors_.size() || row >= size()) return;
  subfolders_.setKind(row - ancestors_.size(), broken ? RowKind::BrokenLink : RowKind::Link);
}

std::size_t FolderRowModel::bytes() const {
  return sizeof *this + path_.capacity() * sizeof(wchar_t) + ancestors_.capacity() * sizeof(Span) +
         subfolders_.bytes();
}

}  // namespace mirafold::platform
