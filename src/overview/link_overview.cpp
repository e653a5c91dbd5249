#include "overview/link_overview.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

#include "base/path_rules.h"
#include "base/text.h"
#include "overview/overview_messages.h"

namespace mirafold::overview {
namespace {

std::wstring_view stateText(platform::LinkState state) {
  switch (state) {
    case platform::LinkState::TargetMissing:
      return kStateTargetMissing;
    case platform::LinkState::Network:
      return kStateNetwork;
    case platform::LinkState::Normal:
      break;
  }
  return kStateNormal;
}

int compareFolded(const std::wstring& a, const std::wstring& b) {
  const auto [ia, ib] =
      std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
  if (ia == a.end()) return ib == b.end() ? 0 : -1;
  if (ib == b.end()) return 1;
  return std::towlower(*ia) < std::towlower(*ib) ? -1 : 1;
}

int compareBy(LinkColumn column, const FoundLink& a, const FoundLink& b) {
  switch (column) {
    case LinkColumn::Target:
      return compareFolded(a.reading.target, b.reading.target);
    case LinkColumn::State:
      return static_cast<int>(a.reading.state) - static_cast<int>(b.reading.state);
    case LinkColumn::Link:
      break;
  }
  return 0;
}

std::wstring count(std::size_t n) { return std::to_wstring(n); }

// The link's path below the folder walked, which the summary names once for all rows.
std::wstring below(const std::wstring& folder, const std::wstring& link) {
  const std::wstring prefix = base::joinPath(folder, L"");
  return link.starts_with(prefix) ? link.substr(prefix.size()) : link;
}

}  // namespace

std::vector<platform::MenuItem> LinkOverview::rowItems(const std::wstring& folder) const {
  platform::EntryInfo info;
  if (!s_.files.inspect(folder, info).ok()) return {};
  if (info.kind != platform::EntryKind::Folder && info.kind != platform::EntryKind::Link) return {};
  return {{kCommandLinksBelow, std::wstring(kLinksBelowItem), true}};
}

void sortLinks(std::vector<FoundLink>& links, LinkColumn column, bool ascending) {
  std::stable_sort(links.begin(), links.end(), [&](const FoundLink& a, const FoundLink& b) {
    int order = compareBy(column, a, b);
    if (order == 0) order = compareFolded(a.link, b.link);
    return ascending ? order < 0 : order > 0;
  });
}

void LinkOverview::show(const std::wstring& folder, const LinkRoads& roads) {
  folder_ = folder;
  std::atomic<bool> cancelled = false;
  s_.progress.run(
      [&](const platform::ProgressReport& report) {
        walk_ = walkLinks(
            s_.files, s_.probe, folder, [&] { return cancelled.load(); },
            [&](const WalkCount& c) {
              report({.currentFile = c.folder,
                      .counts = base::fillIn(kWalkCounts, {count(c.folders), count(c.links)}),
                      .unknownTotal = true});
            });
      },
      [&] { cancelled = true; });
  column_ = LinkColumn::Link;
  ascending_ = true;
  sortLinks(walk_.links, column_, ascending_);
  s_.window.run(
      content(),
      {.sortBy = [this](int column) { sortBy(static_cast<LinkColumn>(column)); },
       // One row at a time: the window offers no more.
       .items =
           [&](const std::vector<std::wstring>& links) { return menuFor(links.front(), roads); },
       .chosen = [&](const std::vector<std::wstring>& links,
                     int command) { choose(links.front(), command, roads); },
       .activate = [&](const std::wstring& link) { choose(link, kOverviewOpenTarget, roads); }});
}

platform::TableContent LinkOverview::content() const {
  platform::TableContent content{.sortColumn = static_cast<int>(column_), .ascending = ascending_};
  content.rows.reserve(walk_.links.size());
  for (const FoundLink& found : walk_.links) {
    content.rows.push_back(
        {found.link,
         {below(folder_, found.link),
          found.reading.target.empty() ? std::wstring(kTargetUnreadable) : found.reading.target,
          std::wstring(stateText(found.reading.state))}});
  }
  content.summary = walk_.cancelled ? base::fillIn(kSummaryCancelled, {count(walk_.links.size())})
                                    : base::fillIn(kSummary, {folder_, count(walk_.links.size())});
  if (walk_.unreadableFolders > 0) {
    content.summary += base::fillIn(kUnreadableFolders, {count(walk_.unreadableFolders)});
  }
  return content;
}

std::vector<platform::MenuItem> LinkOverview::menuFor(const std::wstring& link,
                                                      const LinkRoads& roads) const {
  const auto found = std::find_if(walk_.links.begin(), walk_.links.end(),
                                  [&](const FoundLink& f) { return f.link == link; });
  if (found == walk_.links.end()) return {};
  std::vector<platform::MenuItem> items;
  if (roads.openTarget.run) {
    items.push_back({kOverviewOpenTarget, roads.openTarget.text,
                     found->reading.state != platform::LinkState::TargetMissing});
  }
  if (roads.changeTarget.run) {
    items.push_back({kOverviewChangeTarget, roads.changeTarget.text, true});
  }
  if (roads.deleteLink.run) items.push_back({kOverviewDeleteLink, roads.deleteLink.text, true});
  // The headers sort with the mouse; these, with the keyboard.
  items.push_back({kOverviewSortByLink, std::wstring(kSortByLink), true});
  items.push_back({kOverviewSortByTarget, std::wstring(kSortByTarget), true});
  items.push_back({kOverviewSortByState, std::wstring(kSortByState), true});
  return items;
}

void LinkOverview::choose(const std::wstring& link, int command, const LinkRoads& roads) {
  const auto items = menuFor(link, roads);
  const bool offered = std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& i) {
    return i.command == command && i.enabled;
  });
  if (!offered) return;
  switch (command) {
    case kOverviewOpenTarget:
      // The list behind shows the target once the overview is out of the way.
      s_.window.close();
      roads.openTarget.run(link);
      return;
    case kOverviewChangeTarget:
      roads.changeTarget.run(link);
      break;
    case kOverviewDeleteLink:
      roads.deleteLink.run(link);
      break;
    case kOverviewSortByLink:
      return sortBy(LinkColumn::Link);
    case kOverviewSortByTarget:
      return sortBy(LinkColumn::Target);
    case kOverviewSortByState:
      return sortBy(LinkColumn::State);
    default:
      return;
  }
  reread(link);
  s_.window.show(content());
}

void LinkOverview::sortBy(LinkColumn column) {
  ascending_ = column == column_ ? !ascending_ : true;
  column_ = column;
  sortLinks(walk_.links, column_, ascending_);
  s_.window.show(content());
}

void LinkOverview::reread(const std::wstring& link) {
  const auto found = std::find_if(walk_.links.begin(), walk_.links.end(),
                                  [&](const FoundLink& f) { return f.link == link; });
  if (found == walk_.links.end()) return;
  platform::EntryInfo info;
  if (s_.files.inspect(link, info).ok() && info.kind != platform::EntryKind::Link) {
    walk_.links.erase(found);
  } else {
    found->reading = platform::readLink(s_.probe, link);
  }
}

}  // namespace mirafold::overview
