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

void markBrokenLinks(Subfolders& subfolders, const std::wstring& folder, LinkProbe& probe) {
  std::optional<bool> folderOnNetwork;  // asked once, and only when there is a link
  for (std::size_t i = 0; i < subfolders.size(); ++i) {
    if (!subfolders.isLink(i)) continue;
    if (!folderOnNetwork) folderOnNetwork = probe.isOnNetwork(folder);
    const bool broken = leadsNowhere(probe, joined(folder, subfolders[i]), *folderOnNetwork);
    subfolders.setKind(i, broken ? RowKind::BrokenLink : RowKind::Link);
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

std::size_t FolderRowModel::bytes() const {
  return sizeof *this + path_.capacity() * sizeof(wchar_t) + ancestors_.capacity() * sizeof(Span) +
         subfolders_.bytes();
}

}  // namespace mirafold::platform
