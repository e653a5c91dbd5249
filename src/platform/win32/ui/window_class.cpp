#include "platform/win32/ui/window_class.h"

namespace mirafold::win32 {

void registerWindowClass(const wchar_t* name, WNDPROC procedure) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW cls{};
  if (::GetClassInfoExW(instance, name, &cls)) return;
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = name;
  ::RegisterClassExW(&cls);
}

}  // namespace mirafold::win32
