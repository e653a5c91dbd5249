#pragma once
// The table of links on Win32: an owned window with a report list view (link, target, state), a
// summary line and a close button. The owner is disabled while it shows, as a modal dialog's is.
// The list view is the system's own, so screen readers read its rows and column headers.

#include <windows.h>

#include <string>

#include "platform/link_list_window.h"

namespace mirafold::win32 {

// The controls of the window, by ID.
inline constexpr int kLinkTableId = 200, kLinkSummaryId = 201;

struct LinkListTexts {
  std::wstring title;
  std::wstring columns[3];  // link, target, state
  std::wstring close;
};

class Win32LinkListDialog final : public platform::LinkListWindow {
 public:
  Win32LinkListDialog(HWND owner, LinkListTexts texts);
  ~Win32LinkListDialog() override;
  Win32LinkListDialog(const Win32LinkListDialog&) = delete;
  Win32LinkListDialog& operator=(const Win32LinkListDialog&) = delete;

  void run(const platform::LinkListContent& content,
           const platform::LinkListHandlers& handlers) override;
  void show(const platform::LinkListContent& content) override;
  void close() override;

  struct Window;  // the open window's state

 private:
  HWND owner_;
  LinkListTexts texts_;
  Window* open_ = nullptr;
};

}  // namespace mirafold::win32
