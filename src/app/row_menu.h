#pragma once
// The folder rows' context menu, one ordered list for both lists: each feature offers its
// commands for a row and runs the one chosen; the order of the whole menu is kept here alone.

#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace mirafold::app {

// One feature's part of the menu.
struct RowCommands {
  std::function<std::vector<platform::MenuItem>(platform::ListSide side,
                                                const std::wstring& folder)>
      items;
  std::function<void(platform::ListSide side, const std::wstring& folder, int command)> run;
};

class RowMenu {
 public:
  // Puts the menu on both lists.
  RowMenu(platform::FolderList& dir1, platform::FolderList& dir2,
          std::vector<RowCommands> features);
  RowMenu(const RowMenu&) = delete;
  RowMenu& operator=(const RowMenu&) = delete;

  // Every feature's items for the row, in the menu's order.
  std::vector<platform::MenuItem> itemsFor(platform::ListSide side,
                                           const std::wstring& folder) const;
  // Runs the command by the feature that offers it for the row; a greyed or absent one does
  // nothing, however it arrives.
  void choose(platform::ListSide side, const std::wstring& folder, int command) const;

 private:
  std::vector<RowCommands> features_;
};

}  // namespace mirafold::app
