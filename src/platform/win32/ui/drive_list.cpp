#include "platform/win32/ui/drive_list.h"

#include <cwchar>
#include <iterator>

#include "platform/layout.h"

namespace mirafold::win32 {
namespace {

// A combo box's window height includes its drop-down list; the closed box takes the height of
// its font, as the classic drive list did.
int withDropDown(const RECT& closed) {
  return (closed.bottom - closed.top) * (platform::kDriveListRows + 1);
}

wchar_t lowerLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool isLetter(wchar_t c) {
  const wchar_t lower = lowerLetter(c);
  return lower >= L'a' && lower <= L'z';
}

// The drive letter a path starts with, lower case; 0 for a path without one.
wchar_t driveLetterOf(const std::wstring& path) {
  return path.size() >= 2 && isLetter(path[0]) && path[1] == L':' ? lowerLetter(path[0]) : L'\0';
}

// Every drive's root ("c:\"), in letter order.
std::vector<std::wstring> driveRoots() {
  // Room for all 26 roots, four characters each with its null, and the closing null: one call,
  // since each asks the system's mount manager.
  wchar_t buffer[26 * 4 + 1] = {};
  const DWORD written = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (written == 0 || written >= std::size(buffer)) return {};
  std::vector<std::wstring> roots;
  for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) {
    if (driveLetterOf(root)) roots.emplace_back(root);
  }
  return roots;
}

// A notification of our own, beside the combo box's CBN_ codes: a label has been read.
constexpr WORD kLabelRead = 0x4D46;

std::wstring currentFolder() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD written = ::GetCurrentDirectoryW(needed, folder.data());
  folder.resize(written < needed ? written : 0);
  return folder;
}

}  // namespace

std::wstring driveRowText(wchar_t letter, const std::wstring& label) {
  std::wstring text{lowerLetter(letter), L':'};
  if (!label.empty()) text += L" [" + label + L"]";
  return text;
}

std::unique_ptr<Win32DriveList> Win32DriveList::create(HWND parent, int id, const RECT& pixels,
                                                       HFONT font, DriveLabels& labels) {
  constexpr DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
  const HWND hwnd = ::CreateWindowExW(0, L"COMBOBOX", L"", style, pixels.left, pixels.top,
                                      pixels.right - pixels.left, withDropDown(pixels), parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                      ::GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return nullptr;
  std::unique_ptr<Win32DriveList> list(new Win32DriveList(hwnd, labels));
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Until the window shows, only the current drive: the closed box shows no other row, and asking
  // the system for its drives costs a noticeable part of start-up. They are read once it shows.
  const std::wstring here = currentFolder();
  if (const wchar_t letter = driveLetterOf(here)) list->setRows({driveRowText(letter, {})});
  list->selectDriveOf(here);
  return list;
}

Win32DriveList::~Win32DriveList() { labels_.forget(hwnd_); }

void Win32DriveList::rescale(const RECT& pixels, int, HFONT font) {
  // The font first: the box measures its closed height from it.
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  ::SetWindowPos(hwnd_, nullptr, pixels.left, pixels.top, pixels.right - pixels.left,
                 withDropDown(pixels), SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<LRESULT> Win32DriveList::onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND || reinterpret_cast<HWND>(lParam) != hwnd_) return std::nullopt;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
      if (onChange_) onChange_();
      return 0;
    case CBN_DROPDOWN:
      fill();
      return 0;
    case kLabelRead:
      showLabels();
      return 0;
    default:
      return std::nullopt;
  }
}

std::wstring Win32DriveList::drive() const {
  const LRESULT selected = ::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return {};
  return rows_[static_cast<std::size_t>(selected)];
}

void Win32DriveList::selectDriveOf(const std::wstring& path) {
  const wchar_t letter = driveLetterOf(path);
  if (!letter) return;
  auto row = rowOf(letter);
  if (!row) {
    fill();
    row = rowOf(letter);
  }
  // CB_SETCURSEL sends no CBN_SELCHANGE, so the change handler stays quiet.
  if (row) ::SendMessageW(hwnd_, CB_SETCURSEL, *row, 0);
}

void Win32DriveList::fill() {
  const std::vector<std::wstring> roots = driveRoots();
  std::vector<std::wstring> rows;
  for (const std::wstring& root : roots) {
    rows.push_back(driveRowText(root[0], labels_.labelOf(lowerLetter(root[0]))));
  }
  setRows(rows);
  labels_.read(roots, ::GetParent(hwnd_), hwnd_, kLabelRead);
}

void Win32DriveList::showLabels() {
  const LRESULT selected = ::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    const wchar_t letter = driveLetterOf(rows_[row]);
    std::wstring text = driveRowText(letter, labels_.labelOf(letter));
    if (text == rows_[row]) continue;
    // Row by row, so that an open drop-down stays open and keeps its place.
    rows_[row] = std::move(text);
    ::SendMessageW(hwnd_, CB_DELETESTRING, row, 0);
    ::SendMessageW(hwnd_, CB_INSERTSTRING, row, reinterpret_cast<LPARAM>(rows_[row].c_str()));
    if (static_cast<LRESULT>(row) == selected) ::SendMessageW(hwnd_, CB_SETCURSEL, row, 0);
  }
}

void Win32DriveList::setRows(const std::vector<std::wstring>& rows) {
  const wchar_t kept = driveLetterOf(drive());
  rows_ = rows;
  ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& row : rows_) {
    ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
  if (const auto row = kept ? rowOf(kept) : std::nullopt) {
    ::SendMessageW(hwnd_, CB_SETCURSEL, *row, 0);
  }
}

std::optional<std::size_t> Win32DriveList::rowOf(wchar_t letter) const {
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (driveLetterOf(rows_[row]) == letter) return row;
  }
  return std::nullopt;
}

}  // namespace mirafold::win32
