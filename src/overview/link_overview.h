#pragma once
// The overview of a folder's links: the tree walked behind a window with a count and 取消, then
// every link found with its target and state in a table, sortable, each row with its commands.

#include <functional>
#include <string>
#include <vector>

#include "overview/link_walk.h"
#include "overview/overview_messages.h"
#include "platform/link_state.h"
#include "platform/move_file_system.h"
#include "platform/progress_window.h"
#include "platform/table_window.h"

namespace mirafold::overview {

// A row's command: its text, which the folder lists' menu shows too, and the road it takes there.
// One without a road is not offered.
struct LinkRoad {
  std::wstring text;
  std::function<void(const std::wstring& link)> run;
};

// What a row's commands run; the features that own them give them.
struct LinkRoads {
  LinkRoad openTarget;
  LinkRoad deleteLink;
  LinkRoad changeTarget;  // asks the user for the new target and changes the link
};

// The row menu's command IDs; never 0, which a menu reserves for "nothing chosen".
enum OverviewCommand : int {
  kOverviewOpenTarget = 0x7201,
  kOverviewChangeTarget,
  kOverviewDeleteLink,
  kOverviewSortByLink,
  kOverviewSortByTarget,
  kOverviewSortByState,
};

// The folder rows' command that opens the overview (本文件夹中的链接…).
inline constexpr int kCommandLinksBelow = 0x7301;

enum class LinkColumn { Link = 0, Target = 1, State = 2 };
// The table's columns, in that order; what is left of its width goes to the scroll bar.
inline constexpr platform::TableColumn kLinkColumns[] = {
    {kColumnLink, 220}, {kColumnTarget, 332}, {kColumnState, 80}};

// Sorts by the column, ties by the link; letters compare without regard to case.
void sortLinks(std::vector<FoundLink>& links, LinkColumn column, bool ascending);

struct OverviewServices {
  platform::MoveFileSystem& files;
  platform::LinkProbe& probe;
  platform::ProgressWindow& progress;  // the walk's, with its 取消
  platform::TableWindow& window;
};

class LinkOverview {
 public:
  explicit LinkOverview(OverviewServices services) : s_(services) {}

  // The folder rows' item: on any folder's row, a link's included.
  std::vector<platform::MenuItem> rowItems(const std::wstring& folder) const;
  // Walks the folder, then shows its links until the window is closed.
  void show(const std::wstring& folder, const LinkRoads& roads);

 private:
  platform::TableContent content() const;
  std::vector<platform::MenuItem> menuFor(const std::wstring& link, const LinkRoads& roads) const;
  void choose(const std::wstring& link, int command, const LinkRoads& roads);
  void sortBy(LinkColumn column);
  // After a command: the link read afresh, or its row gone with it.
  void reread(const std::wstring& link);

  OverviewServices s_;
  std::wstring folder_;
  LinkWalk walk_;
  LinkColumn column_ = LinkColumn::Link;
  bool ascending_ = true;
};

}  // namespace mirafold::overview
