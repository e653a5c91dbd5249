#include "app/typed_path_entry.h"

namespace mirafold::app {
namespace {
constexpr wchar_t kEnter = L'\r';
}  // namespace

TypedPathEntry::TypedPathEntry(MainControls& controls, Services& services,
                               link::CommandLineHandlers& commandLine)
    : c_(controls), s_(services), commandLine_(commandLine) {}

void TypedPathEntry::Text1_KeyPress(wchar_t character) {
  if (character == kEnter) Command4_Click();
}

void TypedPathEntry::Command4_Click() {
  // The text goes to the list as typed; the list decides what it accepts.
  if (c_.dir1.setPath(c_.text1.text())) return;
  s_.messages.show(std::wstring(kNoSuchFolder));
  c_.text1.setText(c_.dir1.path());
  commandLine_.ComposeCommandLine();
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
