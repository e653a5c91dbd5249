#include "platform/folder_walk.h"

namespace mirafold::platform {
namespace {

std::wstring below(const std::wstring& folder, const std::wstring& name) {
  return folder.ends_with(L'\\') ? folder + name : folder + L'\\' + name;
}

// One folder the walk is below: kept open, its subfolders still to walk.
struct Level {
  std::unique_ptr<HeldFolder> held;
  std::wstring path;
  std::vector<std::wstring> subfolders;
  std::size_t next = 0;
};

}  // namespace

bool entered(const EntryInfo& info) {
  return info.kind == EntryKind::Folder && !info.cloudPlaceholder;
}

bool walkFolders(FolderListing& files, const std::wstring& folder, const FolderVisits& visits,
                 const HeldFolder* inside) {
  std::vector<Level> levels;  // one a depth
  std::vector<FolderEntry> entries;
  // Lists `path`, named `name` in `parent`; true when it is to be walked below.
  const auto open = [&](const HeldFolder* parent, const std::wstring& name, std::wstring path) {
    std::unique_ptr<HeldFolder> held;
    const MoveStatus status = files.listInside(parent, name, held, entries);
    if (status.code == MoveStatus::Code::Changed) {
      visits.link(path);
      return;
    }
    if (!status.ok()) {
      visits.unreadable(path);
      return;
    }
    Level level{std::move(held), std::move(path), {}, 0};
    for (const FolderEntry& entry : entries) {
      if (entered(entry.info)) level.subfolders.push_back(entry.name);
    }
    visits.listed(level.path, entries);
    levels.push_back(std::move(level));
  };
  if (visits.stop()) return false;
  open(inside, inside ? folder.substr(folder.rfind(L'\\') + 1) : folder, folder);
  while (!levels.empty()) {
    Level& top = levels.back();
    if (top.next == top.subfolders.size()) {
      levels.pop_back();
      continue;
    }
    if (visits.stop()) return false;
    const std::wstring name = top.subfolders[top.next++];
    open(top.held.get(), name, below(top.path, name));
  }
  return true;
}

}  // namespace mirafold::platform
