#include "platform/win32/ui/owned_dialog.h"

#include <stdexcept>

#include "platform/win32/ui/dpi.h"

namespace mirafold::win32 {

base::win32::UniqueWindow makeOwnedDialog(HWND owner, const wchar_t* className,
                                          const std::wstring& title, SIZE clientAt96,
                                          void* creation) {
  const int dpi = owner ? windowDpi(owner) : kDefaultDpi;
  const auto px = [dpi](LONG length) { return scaled(static_cast<int>(length), dpi, kDefaultDpi); };
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const RECT outer =
      windowRectFor({0, 0, px(clientAt96.cx), px(clientAt96.cy)}, style, WS_EX_DLGMODALFRAME, dpi);
  RECT ownerRect{};
  if (owner) ::GetWindowRect(owner, &ownerRect);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  const int x = ownerRect.left + (ownerRect.right - ownerRect.left - w) / 2;
  const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - h) / 2;
  base::win32::UniqueWindow window(::CreateWindowExW(WS_EX_DLGMODALFRAME, className, title.c_str(),
                                                     style, x, y, w, h, owner, nullptr,
                                                     ::GetModuleHandleW(nullptr), creation));
  if (!window) throw std::runtime_error("a dialog window could not be made");
  return window;
}

}  // namespace mirafold::win32
