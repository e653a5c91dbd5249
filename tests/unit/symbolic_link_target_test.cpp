#include "base/symbolic_link_target.h"

#include <gtest/gtest.h>

namespace mirafold::base {
namespace {

// A link remade by CreateSymbolicLinkW leads where the original led, in the same form: absolute
// names in the "\\?\" form the call stores as "\??\", never as a path from the drive's root.
TEST(SymbolicLinkTarget, KeepsAbsoluteTargetsAbsolute) {
  struct Case {
    SymbolicLink link;
    const wchar_t* given;
  };
  const Case cases[] = {
      {{L"\\??\\Volume{0b1d2c3e-0000-0000-0000-100000000000}\\data", L"", false},
       L"\\\\?\\Volume{0b1d2c3e-0000-0000-0000-100000000000}\\data"},
      {{L"\\??\\C:\\游戏", L"C:\\游戏", false}, L"\\\\?\\C:\\游戏"},
      {{L"\\??\\UNC\\server\\share", L"\\\\server\\share", false}, L"\\\\?\\UNC\\server\\share"},
      {{L"..\\outside", L"..\\outside", true}, L"..\\outside"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(symbolicLinkTargetForSystem(c.link), c.given);
  }
}

}  // namespace
}  // namespace mirafold::base
