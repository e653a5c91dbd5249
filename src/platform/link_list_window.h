#pragma once
// A modal window listing links in a table of three columns (link, target, state), sortable by
// column, each row with a context menu.

#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace mirafold::platform {

struct LinkListRow {
  std::wstring link;  // the full path, which names the row to its menu
  std::wstring name;  // as shown: the path below the folder walked
  std::wstring target, state;
};

struct LinkListContent {
  std::vector<LinkListRow> rows;  // in the order shown
  int sortColumn = 0;             // 0 link, 1 target, 2 state
  bool ascending = true;
  std::wstring summary;  // one line below the table
};

struct LinkListHandlers {
  // A click on a column's header.
  std::function<void(int column)> sortBy;
  // A row's menu, told the row's link (right click, Shift+F10 or the menu key).
  RowMenu menu;
  // A double click on a row, or Enter.
  std::function<void(const std::wstring& link)> activate;
};

class LinkListWindow {
 public:
  virtual ~LinkListWindow() = default;
  // Shows `content` until the user closes the window or close() is called; the handlers run on
  // the caller's thread meanwhile and may call show() and close().
  virtual void run(const LinkListContent& content, const LinkListHandlers& handlers) = 0;
  // New content for the open window; the selected link stays selected where it is still listed.
  virtual void show(const LinkListContent& content) = 0;
  virtual void close() = 0;
};

}  // namespace mirafold::platform
