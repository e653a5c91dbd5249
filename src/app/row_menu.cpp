#include "app/row_menu.h"

#include <algorithm>
#include <iterator>

#include "link/link_commands.h"
#include "link/link_target_change.h"
#include "move/move_handlers.h"
#include "overview/link_overview.h"
#include "sizes/size_overview.h"

namespace mirafold::app {
namespace {

// The menu's order; a row shows those of its commands its features offer.
constexpr int kOrder[] = {
    move::kCommandMoveAway,       link::kCommandOpenTarget,   link::kCommandPointAtRight,
    link::kCommandChangeTarget,   link::kCommandDeleteLink,   move::kCommandMoveBack,
    overview::kCommandLinksBelow, sizes::kCommandFolderSizes, move::kCommandOpenInExplorer,
};

// A command missing from the order comes last rather than not at all.
std::ptrdiff_t placeOf(int command) {
  return std::distance(std::begin(kOrder),
                       std::find(std::begin(kOrder), std::end(kOrder), command));
}

}  // namespace

RowMenu::RowMenu(platform::FolderList& dir1, platform::FolderList& dir2,
                 std::vector<RowCommands> features)
    : features_(std::move(features)) {
  for (const auto side : {platform::ListSide::Left, platform::ListSide::Right}) {
    auto& list = side == platform::ListSide::Left ? dir1 : dir2;
    list.onContextMenu(
        {.items = [this, side](const std::wstring& folder) { return itemsFor(side, folder); },
         .chosen = [this, side](const std::wstring& folder,
                                int command) { choose(side, folder, command); }});
  }
}

std::vector<platform::MenuItem> RowMenu::itemsFor(platform::ListSide side,
                                                  const std::wstring& folder) const {
  std::vector<platform::MenuItem> items;
  for (const RowCommands& feature : features_) {
    auto offered = feature.items(side, folder);
    items.insert(items.end(), std::make_move_iterator(offered.begin()),
                 std::make_move_iterator(offered.end()));
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const platform::MenuItem& a, const platform::MenuItem& b) {
                     return placeOf(a.command) < placeOf(b.command);
                   });
  return items;
}

void RowMenu::choose(platform::ListSide side, const std::wstring& folder, int command) const {
  for (const RowCommands& feature : features_) {
    const auto items = feature.items(side, folder);
    if (std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& item) {
          return item.command == command && item.enabled;
        })) {
      feature.run(side, folder, command);
      return;
    }
  }
}

}  // namespace mirafold::app
