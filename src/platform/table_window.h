#pragma once
// A modal window holding a table: columns given as data, rows sortable by each column, each row
// (or several chosen rows) with a context menu, one summary line below. Work that fills the table
// may run on a worker thread while the window shows, with a button that stops it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace mirafold::platform {

// One column: its header, its width at 96 dpi, its cells' alignment.
struct TableColumn {
  std::wstring_view title;
  int width = 100;
  bool alignRight = false;  // numbers
};

struct TableRow {
  std::wstring key;                 // names the row to its menu (a full path)
  std::vector<std::wstring> cells;  // as shown, one a column
  bool operator==(const TableRow&) const = default;
};

struct TableContent {
  std::vector<TableRow> rows;  // in the order shown
  int sortColumn = 0;
  bool ascending = true;
  std::wstring summary;  // one line below the table
  bool busy = false;     // work still fills it: the button stops the work instead of closing
};

struct TableHandlers {
  // A click on a column's header.
  std::function<void(int column)> sortBy;
  // The chosen rows' menu (right click, Shift+F10 or the menu key): its items, told the chosen
  // rows' keys in the order shown; the one picked run on the same rows.
  std::function<std::vector<MenuItem>(const std::vector<std::wstring>& keys)> items;
  std::function<void(const std::vector<std::wstring>& keys, int command)> chosen;
  // A double click on a row, or Enter.
  std::function<void(const std::wstring& key)> activate;
  // The button while busy: the work is asked to stop, the window stays.
  std::function<void()> stop;
};

// Runs `work` on the window's thread; safe from any thread. Dropped once the window is gone.
using TablePost = std::function<void(std::function<void()> work)>;
// Work run on a worker thread; what it changes for the window it passes through `post`.
using TableWork = std::function<void(const TablePost& post)>;

class TableWindow {
 public:
  virtual ~TableWindow() = default;
  // Shows `content` until the user closes the window or close() is called; the handlers run on
  // the caller's thread meanwhile and may call show(), start() and close(). `work`, when given,
  // starts at once, as start() starts it. Returns once the window and any work have ended: a
  // window closed while work runs calls `stop` first.
  virtual void run(const TableContent& content, const TableHandlers& handlers,
                   TableWork work = {}) = 0;
  // New content for the open window; the selected rows stay selected where they are still listed.
  virtual void show(const TableContent& content) = 0;
  // Work on a worker thread while the window is open, after any work started before has ended.
  virtual void start(TableWork work) = 0;
  virtual void close() = 0;
};

}  // namespace mirafold::platform
