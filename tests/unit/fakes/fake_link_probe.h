#pragma once
// Links as a test sets them up: each with its stored target and whether that target is there;
// every probe is recorded, so a test sees what was asked of the system.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_move_file_system.h"
#include "platform/link_state.h"

namespace mirafold::fakes {

class FakeLinkProbe final : public platform::LinkProbe {
 public:
  struct Link {
    std::optional<std::wstring> target;  // nothing: unreadable
    bool targetThere = true;
  };
  void addLink(const std::wstring& link, std::optional<std::wstring> target, bool there = true) {
    links_[link] = {std::move(target), there};
  }

  std::optional<std::wstring> linkTarget(const std::wstring& link) override {
    asked.push_back(link);
    const auto found = links_.find(link);
    return found == links_.end() ? std::nullopt : found->second.target;
  }
  std::optional<std::wstring> storedTarget(const std::wstring& link) override {
    return linkTarget(link);
  }
  // Shares, and drive N:, are on the network.
  bool isOnNetwork(const std::wstring& path) override {
    return path.starts_with(L"\\\\") || path.starts_with(L"N:");
  }
  bool folderExists(const std::wstring& path) override {
    followed.push_back(path);
    const auto found = links_.find(path);
    return found != links_.end() && found->second.targetThere;
  }

  std::vector<std::wstring> asked, followed;

 private:
  std::map<std::wstring, Link> links_;
};

// The links of a fake disk, followed as the disk resolves them.
class DiskLinkProbe final : public platform::LinkProbe {
 public:
  explicit DiskLinkProbe(FakeMoveFileSystem& disk) : disk_(disk) {}
  std::optional<std::wstring> linkTarget(const std::wstring& link) override {
    const FakeMoveFileSystem::Node* node = disk_.find(link);
    if (!node || node->kind != platform::EntryKind::Link) return std::nullopt;
    return node->target;
  }
  std::optional<std::wstring> storedTarget(const std::wstring& link) override {
    return linkTarget(link);
  }
  bool isOnNetwork(const std::wstring& path) override { return path.starts_with(L"\\\\"); }
  bool folderExists(const std::wstring& path) override {
    const FakeMoveFileSystem::Node* node = disk_.find(disk_.resolve(path, true));
    return node && node->kind == platform::EntryKind::Folder;
  }

 private:
  FakeMoveFileSystem& disk_;
};

}  // namespace mirafold::fakes
