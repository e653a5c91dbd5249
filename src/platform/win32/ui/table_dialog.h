#pragma once
// The table window on Win32: an owned window with a report list view, a summary line and one
// button (关闭, or 取消 while work fills the table). The owner is disabled while it shows, as a
// modal dialog's is. The list view is the system's own, so screen readers read its rows and
// column headers.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/table_window.h"

namespace mirafold::win32 {

// The controls of the window, by ID.
inline constexpr int kTableId = 200, kTableSummaryId = 201;
// The window's class, for tests to find it by.
inline constexpr wchar_t kTableClassName[] = L"MirafoldTable";

struct TableTexts {
  std::wstring title;
  std::vector<platform::TableColumn> columns;
  std::wstring close, cancel;
  bool severalRows = false;  // several rows may be chosen at once
};

class Win32TableDialog final : public platform::TableWindow {
 public:
  Win32TableDialog(HWND owner, TableTexts texts);
  ~Win32TableDialog() override;
  Win32TableDialog(const Win32TableDialog&) = delete;
  Win32TableDialog& operator=(const Win32TableDialog&) = delete;

  void run(const platform::TableContent& content, const platform::TableHandlers& handlers,
           platform::TableWork work) override;
  void show(const platform::TableContent& content) override;
  void start(platform::TableWork work) override;
  void close() override;

  struct Window;  // the open window's state

 private:
  HWND owner_;
  TableTexts texts_;
  Window* open_ = nullptr;
};

}  // namespace mirafold::win32
