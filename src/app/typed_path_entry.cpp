#include "app/typed_path_entry.h"

namespace mirafold::app {
namespace {
constexpr wchar_t kEnter = L'\r';
}  // namespace

TypedPathEntry::TypedPathEntry(TypedPathControls controls, TypedPathServices services,
                               link::SelectionHandlers& selection)
    : c_(controls), s_(services), selection_(selection) {
  c_.text1.onKeyPress([this](wchar_t key) { Text1_KeyPress(key); });
  c_.command4.onClick([this] { Command4_Click(); });
  c_.text2.onKeyPress([this](wchar_t key) { Text2_KeyPress(key); });
  c_.command5.onClick([this] { Command5_Click(); });
}

void TypedPathEntry::Text1_KeyPress(wchar_t character) {
  if (character == kEnter) Command4_Click();
}

void TypedPathEntry::Command4_Click() {
  // The text goes to the list as typed; the list decides what it accepts.
  if (c_.dir1.setPath(c_.text1.text())) return;
  s_.messages.show(std::wstring(kNoSuchFolder));
  c_.text1.setText(c_.dir1.path());
  selection_.ComposeCommandLine();
}

void TypedPathEntry::Text2_KeyPress(wchar_t character) {
  if (character == kEnter) Command5_Click();
}

void TypedPathEntry::Command5_Click() {
  if (c_.dir2.setPath(c_.text2.text())) return;
  s_.messages.show(std::wstring(kNoSuchFolder));
  c_.text2.setText(c_.dir2.path());
}

}  // namespace mirafold::app
