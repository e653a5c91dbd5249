#pragma once
// Functions looked up by name in a module already loaded: those newer systems add (DPI), those
// only ntdll exports, and Wine's own.

#include <windows.h>

namespace mirafold::base::win32 {

// The export as its real function type, or null when the module or the export is missing.
template <typename Function>
Function exportedFunction(const wchar_t* module, const char* name) {
  const HMODULE handle = ::GetModuleHandleW(module);
  // GetProcAddress gives a generic function pointer; it is cast to its real type.
  return handle
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)))
             : nullptr;
}

// Wine's ntdll exports its version; Windows' does not.
inline bool runningUnderWine() {
  return exportedFunction<void*>(L"ntdll.dll", "wine_get_version") != nullptr;
}

}  // namespace mirafold::base::win32
