#include "platform/win32/ui/message_loop.h"

#include <windows.h>

namespace mirafold::win32 {

void dispatchMessage(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && ::IsDialogMessageW(root, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

int runMessageLoop() {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) dispatchMessage(msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace mirafold::win32
