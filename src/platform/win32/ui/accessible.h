#pragma once
// What a screen reader learns of a control that the system's own description gets wrong: the
// rows of a list that keeps no strings, or the name of an edit box whose caption is a frame. The
// control answers WM_GETOBJECT with answerGetObject; everything it does not say itself comes from
// the system's standard object for the window.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace mirafold::win32 {

class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  // Empty: the system's name for the window.
  virtual std::wstring accessibleName() const { return {}; }
  virtual std::size_t rowCount() const { return 0; }
  virtual std::wstring rowName(std::size_t row) const {
    (void)row;
    return {};
  }
  virtual std::optional<std::size_t> selectedRow() const { return std::nullopt; }
  // In client coordinates.
  virtual RECT rowRect(std::size_t row) const {
    (void)row;
    return {};
  }
};

// A control's link to the objects it handed out: they may outlive the control, and then answer
// that they are no longer connected.
class AccessibleLink {
 public:
  explicit AccessibleLink(const AccessibleSource& source)
      : source_(std::make_shared<const AccessibleSource*>(&source)) {}
  ~AccessibleLink() { *source_ = nullptr; }
  AccessibleLink(const AccessibleLink&) = delete;
  AccessibleLink& operator=(const AccessibleLink&) = delete;

  // The answer to WM_GETOBJECT; nullopt: let the window procedure answer.
  std::optional<LRESULT> answerGetObject(HWND window, WPARAM wParam, LPARAM lParam) const;

 private:
  std::shared_ptr<const AccessibleSource*> source_;
};

}  // namespace mirafold::win32
