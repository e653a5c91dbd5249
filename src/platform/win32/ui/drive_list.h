#pragma once
// The drive list: a drop-down list of every drive, shown as its lower-case letter, a colon and,
// when the volume has one, its label in brackets ("c: [System]", "d:").

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/win32/ui/child_control.h"
#include "platform/win32/ui/drive_labels.h"

namespace mirafold::win32 {

class Win32DriveList final : public platform::DriveList, public ChildControl {
 public:
  // Starts at the process's current drive without raising the change handler, the only row until
  // the form is shown; then every drive is listed, and each label shows when `labels` has read it.
  // `pixels` places the closed box, whose height then follows the font; the drop-down hangs below
  // it. The parent owns the window and the font and must forward WM_COMMAND to onParentMessage.
  static std::unique_ptr<Win32DriveList> create(HWND parent, int id, const RECT& pixels, HFONT font,
                                                DriveLabels& labels = DriveLabels::system());
  ~Win32DriveList() override;
  Win32DriveList(const Win32DriveList&) = delete;
  Win32DriveList& operator=(const Win32DriveList&) = delete;

  HWND hwnd() const override { return hwnd_; }
  void onShown() override { fill(); }
  void rescale(const RECT& pixels, int dpi, HFONT font) override;
  // CBN_SELCHANGE raises the change handler; CBN_DROPDOWN reads the drives afresh, so that a drive
  // attached since is there to pick; a label read shows in its row.
  std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  std::wstring drive() const override;
  // Also reads the drives afresh when the path's drive is not listed yet.
  void selectDriveOf(const std::wstring& path) override;
  void onChange(platform::Handler handler) override { onChange_ = std::move(handler); }

  // The rows as listed, in drive-letter order.
  const std::vector<std::wstring>& rows() const { return rows_; }

 private:
  Win32DriveList(HWND hwnd, DriveLabels& labels) : hwnd_(hwnd), labels_(labels) {}
  // The drives as they are now, with the labels known so far; then their labels read anew.
  void fill();
  void setRows(const std::vector<std::wstring>& rows);
  // Rows whose label has come since are shown with it.
  void showLabels();
  std::optional<std::size_t> rowOf(wchar_t letter) const;

  HWND hwnd_;
  DriveLabels& labels_;
  std::vector<std::wstring> rows_;
  platform::Handler onChange_;
};

// How a drive is shown: its letter in lower case, a colon, and " [label]" when it has a label.
std::wstring driveRowText(wchar_t letter, const std::wstring& label);

}  // namespace mirafold::win32
