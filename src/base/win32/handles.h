#pragma once
// The policies that give each Win32 resource its owner, one alias a kind: kernel, file and find
// handles, GDI objects and selections, device contexts, icons, windows, local and COM memory, item
// ID lists, dropped-file lists, COM interfaces, the thread's error mode and its COM apartment.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "base/unique_resource.h"

namespace mirafold::base::win32 {

template <typename H, auto Close>
struct NullIsNone {
  using type = H;
  static type invalid() { return nullptr; }
  static void close(type h) { Close(h); }
};

// File calls say "none" with INVALID_HANDLE_VALUE, native ones with null: neither is closed.
struct FileHandlePolicy {
  using type = HANDLE;
  static type invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void close(type h) { ::CloseHandle(h); }
};

struct FindHandlePolicy {
  using type = HANDLE;
  static type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { ::FindClose(h); }
};

template <typename Interface>
struct ComReleasePolicy {
  using type = Interface*;
  static type invalid() { return nullptr; }
  static void close(type p) { p->Release(); }
};

// Holds the mode to go back to.
struct ErrorModePolicy {
  using type = DWORD;
  static type invalid() { return ~DWORD{0}; }
  static void close(type previous) { ::SetThreadErrorMode(previous, nullptr); }
};

// Holds whether this owner joined the apartment, and so must leave it.
struct ApartmentPolicy {
  using type = bool;
  static type invalid() { return false; }
  static void close(type) { ::CoUninitialize(); }
};

// A window's device context, given back to that window.
struct WindowDcPolicy {
  using type = HDC;
  static type invalid() { return nullptr; }
  void close(type dc) { ::ReleaseDC(window, dc); }
  HWND window = nullptr;
};

// The object a selection replaced, put back into its device context.
struct SelectionPolicy {
  using type = HGDIOBJ;
  static type invalid() { return nullptr; }
  void close(type previous) { ::SelectObject(dc, previous); }
  HDC dc = nullptr;
};

inline void closeHandle(HANDLE h) { ::CloseHandle(h); }
inline void deleteGdiObject(HGDIOBJ o) { ::DeleteObject(o); }
inline void destroyIcon(HICON i) { ::DestroyIcon(i); }
inline void destroyWindow(HWND w) { ::DestroyWindow(w); }
inline void destroyMenu(HMENU m) { ::DestroyMenu(m); }
inline void freeLocal(void* p) { ::LocalFree(p); }
inline void freeCoTaskMem(void* p) { ::CoTaskMemFree(p); }
inline void finishDrop(HDROP d) { ::DragFinish(d); }

using UniqueKernelHandle = UniqueResource<NullIsNone<HANDLE, closeHandle>>;  // process, thread
using UniqueFileHandle = UniqueResource<FileHandlePolicy>;
using UniqueFindHandle = UniqueResource<FindHandlePolicy>;
using UniqueFont = UniqueResource<NullIsNone<HFONT, deleteGdiObject>>;
using UniqueBitmap = UniqueResource<NullIsNone<HBITMAP, deleteGdiObject>>;
using UniqueIcon = UniqueResource<NullIsNone<HICON, destroyIcon>>;
using UniqueWindow = UniqueResource<NullIsNone<HWND, destroyWindow>>;
using UniqueMenu = UniqueResource<NullIsNone<HMENU, destroyMenu>>;
using UniqueIdList = UniqueResource<NullIsNone<PIDLIST_ABSOLUTE, freeCoTaskMem>>;
using UniqueCoTaskText = UniqueResource<NullIsNone<PWSTR, freeCoTaskMem>>;
using UniqueDrop = UniqueResource<NullIsNone<HDROP, finishDrop>>;  // of WM_DROPFILES
template <typename Pointer>
using UniqueLocalMemory = UniqueResource<NullIsNone<Pointer, freeLocal>>;
template <typename Interface>
using ComPtr = UniqueResource<ComReleasePolicy<Interface>>;
using UniqueWindowDc = UniqueResource<WindowDcPolicy>;
using Selection = UniqueResource<SelectionPolicy>;
using ErrorMode = UniqueResource<ErrorModePolicy>;
using ComApartment = UniqueResource<ApartmentPolicy>;

inline UniqueWindowDc windowDc(HWND window) {
  return UniqueWindowDc(::GetDC(window), WindowDcPolicy{.window = window});
}

// Selects a GDI object into a device context while the owner lives; nothing for no object.
inline Selection select(HDC dc, HGDIOBJ object) {
  return Selection(object ? ::SelectObject(dc, object) : nullptr, SelectionPolicy{.dc = dc});
}

// While the owner lives, a drive without a medium or an unreachable share makes file calls fail
// with an error code instead of asking the user to insert a disk.
inline ErrorMode quietErrorMode() {
  DWORD previous = 0;
  if (!::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous)) return {};
  return ErrorMode(previous);
}

// Joins the calling thread to a single-threaded apartment while the owner lives, unless it is in
// one already; a thread that chose another model keeps it.
inline ComApartment joinApartment() {
  return ComApartment(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
}

}  // namespace mirafold::base::win32
