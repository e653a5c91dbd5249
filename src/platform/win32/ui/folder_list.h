#pragma once
// The folder list: a classic directory list box. It shows the current folder's ancestors and then
// its subfolders, each with a folder icon and indented by depth; double-click or Enter opens a row.
// Drawn by its owner and virtual (no strings stored in the list box), so that a folder of tens of
// thousands of subfolders opens quickly. Its links are probed after the rows show, off the
// window's thread; a link whose target is gone gets its mark when the answer comes.

#include <windows.h>

#include <memory>
#include <optional>

#include "base/win32/handles.h"
#include "platform/controls.h"
#include "platform/folder_row_model.h"
#include "platform/win32/system/win32_link_probe.h"
#include "platform/win32/ui/accessible.h"
#include "platform/win32/ui/child_control.h"
#include "platform/win32/ui/link_marks.h"

namespace mirafold::win32 {

// Screen readers learn the rows (name, list item, the current folder selected) from the list's
// own accessible object.
class Win32FolderList final : public platform::FolderList,
                              public ChildControl,
                              private AccessibleSource {
 public:
  // Starts at `start` (see startRows) without raising the change handler. The parent owns the
  // window and the font; it must forward WM_DRAWITEM and WM_COMMAND to onParentMessage. Icons and
  // row height follow the DPI. The links among the rows are probed through `probe`.
  static std::unique_ptr<Win32FolderList> create(
      HWND parent, int id, const RECT& pixels, HFONT font, int dpi, platform::FolderRowModel start,
      std::unique_ptr<platform::LinkProbe> probe = std::make_unique<Win32LinkProbe>());
  // The process's current folder, or its drive's root when it cannot be read.
  static platform::FolderRowModel startRows();
  ~Win32FolderList() override;
  Win32FolderList(const Win32FolderList&) = delete;
  Win32FolderList& operator=(const Win32FolderList&) = delete;

  HWND hwnd() const override { return hwnd_; }
  std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void rescale(const RECT& pixels, int dpi, HFONT font) override;

  std::wstring path() const override { return rows_.path(); }
  // Moving to the folder already shown counts as a move: the rows are read afresh and the change
  // handler runs, so whoever set the path always sees its effects.
  bool setPath(const std::wstring& path) override;
  void onChange(platform::Handler handler) override { onChange_ = std::move(handler); }
  // The menu is owned by the list, so its choice arrives as WM_COMMAND to the list and acts on
  // the selected row; a command posted that way by a test takes the same road.
  void onContextMenu(platform::RowMenu menu) override { menu_ = std::move(menu); }

  // The rows as listed, row i being list item i.
  const platform::FolderRowModel& rows() const { return rows_; }
  // Whether every link among the rows has its answer, so its mark is the one it keeps.
  bool marksKnown() const { return unknownMarks_ == 0; }

 private:
  Win32FolderList(HWND hwnd, HFONT font, int dpi, std::unique_ptr<platform::LinkProbe> probe);
  void loadIcons(int dpi);
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void show(platform::FolderRowModel rows);
  void startProbing();
  void takeMarks();
  void openSelectedRow();
  // `lParam` of WM_CONTEXTMENU: the screen point clicked, or -1 from the keyboard.
  void showContextMenu(LPARAM lParam);
  void chooseForSelectedRow(int command);
  void draw(const DRAWITEMSTRUCT& item) const;
  void fitRowHeight();
  std::size_t rowCount() const override { return rows_.size(); }
  // A link says so, since the mark on its icon is seen, not heard.
  std::wstring rowName(std::size_t row) const override { return rows_.spokenName(row); }
  std::optional<std::size_t> selectedRow() const override;
  RECT rowRect(std::size_t row) const override;

  HWND hwnd_;
  HFONT font_;
  HICON openIcon_ = nullptr;  // shared by every list, for the process's life
  HICON closedIcon_ = nullptr;
  int iconSize_ = 0;
  platform::FolderRowModel rows_;
  std::optional<platform::LinksToProbe> unprobed_;
  std::size_t unknownMarks_ = 0;
  platform::Handler onChange_;
  platform::RowMenu menu_;
  AccessibleLink accessible_{*this};
  // Last, so that its thread is joined before the rest goes.
  LinkMarks marks_;
};

}  // namespace mirafold::win32
