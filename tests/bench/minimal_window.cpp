// The baselines for start-up: a Win32 program that shows one empty window and nothing else; built
// a second time with the program's manifest and the themed common controls loaded, as any program
// with the system's look loads them.

#include <windows.h>
#ifdef MINIMAL_THEMED
#include <commctrl.h>
#endif

namespace {
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef MINIMAL_THEMED
  ::InitCommonControls();
#endif
  WNDCLASSW cls{};
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"MinimalWindow";
  ::RegisterClassW(&cls);
  HWND window = ::CreateWindowW(L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 754, 465, nullptr, nullptr, instance, nullptr);
  ::ShowWindow(window, SW_SHOWNORMAL);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
