#include "platform/win32/ui/layout_window.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/ui/basic_controls.h"
#include "platform/win32/ui/dpi.h"
#include "platform/win32/ui/drive_list.h"
#include "platform/win32/ui/dropped_files.h"
#include "platform/win32/ui/folder_list.h"
#include "platform/win32/ui/picture.h"
#include "platform/win32/ui/window_class.h"

namespace mirafold::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MirafoldForm";
// Fixed border, no maximise box. No WS_CLIPCHILDREN: the frames are drawn through, and the window
// must paint the background inside them.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

const platform::Control* frameOf(const platform::WindowLayout& form,
                                 const platform::Control& control) {
  if (control.frame.empty()) return nullptr;
  const auto it = std::find_if(form.controls.begin(), form.controls.end(),
                               [&](const platform::Control& c) { return c.name == control.frame; });
  return it == form.controls.end() ? nullptr : &*it;
}

// What a screen reader calls a text box: the caption of its frame, or else that of the label just
// before it in tab order, without the closing colon.
std::wstring accessibleName(const platform::WindowLayout& form, const platform::Control& box) {
  if (const auto* frame = frameOf(form, box)) return std::wstring(frame->caption);
  const platform::Control* label = nullptr;
  for (const auto& c : form.controls) {
    if (c.kind == platform::ControlKind::Label && c.tabIndex < box.tabIndex &&
        (!label || c.tabIndex > label->tabIndex)) {
      label = &c;
    }
  }
  if (!label || label->tabIndex != box.tabIndex - 1) return {};
  std::wstring name(label->caption);
  while (!name.empty() && (name.back() == L':' || name.back() == L'：')) name.pop_back();
  return name;
}

}  // namespace

LayoutWindow::LayoutWindow(const platform::WindowLayout& form, HINSTANCE instance, int icon,
                           std::function<void()> onClose, HWND owner)
    : form_(form),
      instance_(instance),
      iconResource_(icon),
      onClose_(std::move(onClose)),
      // A dialog over its owner is closed, not minimised.
      style_(owner ? kStyle & ~WS_MINIMIZEBOX : kStyle) {
  registerWindowClass(kClassName, &LayoutWindow::windowProc);
  const std::wstring title(form.title);
  // Made in its place at the screen's DPI, where most windows are drawn. Only the window itself
  // can say at which DPI it is drawn: one standing on a monitor of another DPI is placed again,
  // and again should that move it onto yet another (its WM_DPICHANGED notes each), a few times
  // at most.
  dpi_ = windowDpi(nullptr);
  placedAt_ = dpi_;
  const RECT frame = centredFrame();
  const int iconsAt = dpi_;  // the icons are loaded while the window is made
  window_.reset(::CreateWindowExW(0, kClassName, title.c_str(), style_, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, owner,
                                  nullptr, instance, this));
  if (!window_) throw std::runtime_error("CreateWindowExW failed");
  for (int tries = 0; tries < 3 && (windowDpi(hwnd()) != placedAt_ || dpi_ != placedAt_); ++tries) {
    placeCentred();
  }
  if (dpi_ != iconsAt) loadIcons();
  createControls();
}

LayoutWindow::~LayoutWindow() {
  timers_.clear();
  // Messages sent while the window goes are no longer ours to handle.
  if (window_) ::SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
  window_.reset();  // child windows go with it, before their wrappers
  controls_.clear();
}

void LayoutWindow::placeCentred() {
  dpi_ = windowDpi(hwnd());
  placedAt_ = dpi_;
  const RECT frame = centredFrame();
  ::SetWindowPos(hwnd(), nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT LayoutWindow::centredFrame() const {
  const RECT frame = windowRectFor(
      RECT{0, 0, pixels(form_.clientWidth), pixels(form_.clientHeight)}, style_, 0, dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = static_cast<int>(work.left) +
                   std::max(0, static_cast<int>(work.right - work.left - width) / 2);
  const int top = static_cast<int>(work.top) +
                  std::max(0, static_cast<int>(work.bottom - work.top - height) / 2);
  return {left, top, left + width, top + height};
}

RECT LayoutWindow::placeOf(const platform::Control& layout) const {
  RECT r{pixels(layout.left), pixels(layout.top), pixels(layout.left + layout.width),
         pixels(layout.top + layout.height)};
  if (const auto* frame = frameOf(form_, layout)) {
    ::OffsetRect(&r, pixels(frame->left), pixels(frame->top));
  }
  return r;
}

void LayoutWindow::createControls() {
  std::vector<const platform::Control*> ordered;
  for (const auto& c : form_.controls) ordered.push_back(&c);
  // Creation order is tab order; controls that never take the focus come last.
  std::stable_sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) {
    return static_cast<unsigned>(a->tabIndex) < static_cast<unsigned>(b->tabIndex);
  });
  // The frames after all: each lies below the controls it holds, so that it never paints over
  // them (a frame takes no focus, so the tab order stays).
  std::stable_partition(ordered.begin(), ordered.end(),
                        [](auto* c) { return c->kind != platform::ControlKind::Frame; });
  std::optional<platform::FolderRowModel> startFolder;
  for (const platform::Control* layout : ordered) {
    controls_.push_back({layout, createControl(*layout, placeOf(*layout), startFolder)});
  }
  for (const platform::Control* layout : ordered) {
    if (layout->kind != platform::ControlKind::Frame) continue;
    auto& frame = dynamic_cast<Win32Frame&>(find(layout->name));
    for (const auto& member : form_.controls) {
      if (member.frame == layout->name) frame.addMember(find(member.name).hwnd());
    }
  }
}

namespace {

// A control that cannot be made ends the window's making, as every other failure to make it does;
// none is kept as null.
template <typename Control>
std::unique_ptr<Control> made(std::unique_ptr<Control> control) {
  if (!control) throw std::runtime_error("a control could not be made");
  return control;
}

}  // namespace

std::unique_ptr<ChildControl> LayoutWindow::createControl(
    const platform::Control& layout, const RECT& r,
    std::optional<platform::FolderRowModel>& startFolder) {
  using enum platform::ControlKind;
  const bool link = (layout.style & platform::kLinkStyle) != 0;
  HFONT controlFont = font(layout);
  if (layout.kind == FolderList) {
    if (!startFolder) startFolder = Win32FolderList::startRows();
    return made(Win32FolderList::create(hwnd(), layout.id, r, controlFont, dpi_, *startFolder));
  }
  if (layout.kind == DriveList) {
    return made(Win32DriveList::create(hwnd(), layout.id, r, controlFont));
  }
  if (layout.kind == Picture) {
    return made(Win32Picture::create(hwnd(), layout.id, r, instance_, layout.resource));
  }

  const wchar_t* cls = L"BUTTON";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (layout.kind) {
    case Frame:
      style |= BS_GROUPBOX;
      break;
    case TextBox:
      cls = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case Label:
      cls = L"STATIC";
      style |= SS_NOTIFY | SS_LEFT;
      break;
    case Button:
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case CheckBox:
      style |= WS_TABSTOP | BS_AUTOCHECKBOX;
      break;
    default:
      throw std::logic_error("control kind not supported here");
  }
  if (layout.style & platform::kDisabled) style |= WS_DISABLED;
  const std::wstring caption(layout.caption);
  HWND child = ::CreateWindowExW(
      exStyle, cls, caption.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
      hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance_, nullptr);
  if (!child) throw std::runtime_error("CreateWindowExW failed for a control");
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
  switch (layout.kind) {
    case Frame:
      return std::make_unique<Win32Frame>(child);
    case TextBox:
      return std::make_unique<Win32TextBox>(child, accessibleName(form_, layout));
    case Label:
      return std::make_unique<Win32Label>(child, link);
    case Button:
      return std::make_unique<Win32Button>(child);
    default:
      return std::make_unique<Win32CheckBox>(child);
  }
}

HFONT LayoutWindow::font(const platform::Control& layout) {
  const platform::Font wanted = layout.font;
  const bool underline = (layout.style & platform::kLinkStyle) != 0;
  for (const auto& f : fonts_) {
    if (f.size.points == wanted.points && f.size.bold == wanted.bold && f.underline == underline) {
      return f.font.get();
    }
  }
  const std::wstring face(platform::kFontFace);
  base::win32::UniqueFont created(::CreateFontW(
      -::MulDiv(wanted.points, dpi_, 72), 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE,
      underline, FALSE, platform::kGb2312Charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  HFONT handle = created.get();
  fonts_.push_back({wanted, underline, std::move(created)});
  return handle;
}

int LayoutWindow::pixels(int twips) const { return scaled(twips, dpi_, platform::kTwipsPerInch); }

void LayoutWindow::loadIcons() {
  if (!iconResource_) return;
  const auto load = [&](int metric) {
    const int size = systemMetric(metric, dpi_);
    return base::win32::UniqueIcon(static_cast<HICON>(::LoadImageW(
        instance_, MAKEINTRESOURCEW(iconResource_), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  };
  base::win32::UniqueIcon big = load(SM_CXICON);
  base::win32::UniqueIcon small = load(SM_CXSMICON);
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The old icons go once the window no longer shows them.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

void LayoutWindow::onDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  // The controls keep their old fonts until each has its new one.
  const std::vector<FontEntry> old = std::move(fonts_);
  fonts_.clear();
  for (auto& e : controls_) e.control->rescale(placeOf(*e.layout), dpi_, font(*e.layout));
  loadIcons();
  ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutWindow::onDropFiles(HDROP drop) {
  const base::win32::UniqueDrop owned(drop);
  // A window that takes no input (a modal box is open over it) takes no drop either.
  if (!::IsWindowEnabled(hwnd())) return;
  const DroppedFiles dropped = readDroppedFiles(drop);
  if (!dropped.inClientArea) return;
  // The frames' places at the window's present DPI, as they were laid out; a control inside a
  // frame lies within the frame's rectangle.
  for (const auto& e : controls_) {
    if (e.layout->kind != platform::ControlKind::Frame) continue;
    const RECT place = placeOf(*e.layout);
    if (!::PtInRect(&place, dropped.point)) continue;
    if (dynamic_cast<Win32Frame&>(*e.control).drop(dropped.paths)) return;
  }
}

Win32Timer& LayoutWindow::addTimer(UINT_PTR id, UINT intervalMs) {
  timers_.push_back(std::make_unique<Win32Timer>(hwnd(), id, intervalMs));
  return *timers_.back();
}

void LayoutWindow::show() {
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  ::UpdateWindow(hwnd());
  if (HWND first = ::GetNextDlgTabItem(hwnd(), nullptr, FALSE)) ::SetFocus(first);
  for (auto& e : controls_) e.control->onShown();
}

ChildControl& LayoutWindow::find(std::wstring_view name) {
  for (auto& e : controls_) {
    if (e.layout->name == name) return *e.control;
  }
  throw std::out_of_range("no such control");
}

ChildControl* LayoutWindow::byWindow(HWND window) {
  for (auto& e : controls_) {
    if (e.control->hwnd() == window) return e.control.get();
  }
  return nullptr;
}

ChildControl* LayoutWindow::byId(int id) {
  for (auto& e : controls_) {
    if (e.layout->id == id) return e.control.get();
  }
  return nullptr;
}

LRESULT CALLBACK LayoutWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* creator =
        static_cast<LayoutWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    creator->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creator));
  }
  auto* self = reinterpret_cast<LayoutWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->handle(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through user32.
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT LayoutWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  ChildControl* target = nullptr;
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      target = byWindow(reinterpret_cast<HWND>(lParam));
      break;
    case WM_DRAWITEM:
      target = byId(static_cast<int>(wParam));
      break;
    case WM_CREATE:
      // Before the window first shows, so that it is never seen without them.
      loadIcons();
      break;
    case WM_TIMER:
      for (auto& timer : timers_) {
        if (timer->id() == wParam) timer->tick();
      }
      return 0;
    case WM_DPICHANGED:
      // Before the controls exist (while the window is first placed) only the DPI is noted.
      if (controls_.empty()) {
        dpi_ = LOWORD(wParam);
        return 0;
      }
      onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DROPFILES:
      onDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      if (onClose_) {
        onClose_();
        return 0;
      }
      break;
    case WM_DESTROY:
      if (!onClose_) ::PostQuitMessage(0);
      break;
  }
  if (target) {
    if (auto result = target->onParentMessage(message, wParam, lParam)) return *result;
  }
  return ::DefWindowProcW(hwnd(), message, wParam, lParam);
}

}  // namespace mirafold::win32
