// The test splitter against the examples Microsoft documents for its C runtime; the fuzz target
// and the command-line tests rely on it agreeing with the real receiver.

#include "argument_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirafold::testing {
namespace {

struct SplitRow {
  const wchar_t* line;
  std::vector<std::wstring> argv;
};

class SplitLikeTheCRuntime : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitLikeTheCRuntime, GivesTheDocumentedArguments) {
  EXPECT_EQ(splitLikeTheCRuntime(GetParam().line), GetParam().argv);
}

INSTANTIATE_TEST_SUITE_P(
    Documented, SplitLikeTheCRuntime,
    ::testing::Values(
        SplitRow{L"p \"a b c\" d e", {L"p", L"a b c", L"d", L"e"}},
        SplitRow{L"p \"ab\\\"c\" \"\\\\\" d", {L"p", L"ab\"c", L"\\", L"d"}},
        SplitRow{L"p a\\\\\\b d\"e f\"g h", {L"p", L"a\\\\\\b", L"de fg", L"h"}},
        SplitRow{L"p a\\\\\\\"b c d", {L"p", L"a\\\"b", L"c", L"d"}},
        SplitRow{L"p a\\\\\\\\\"b c\" d e", {L"p", L"a\\\\b c", L"d", L"e"}},
        SplitRow{L"p a\"b\"\" c d", {L"p", L"ab\"", L"c", L"d"}},
        // Tabs separate too; runs of spaces make no empty arguments, a quoted empty one does.
        SplitRow{L"p\ta  \t b \"\"", {L"p", L"a", L"b", L""}},
        // The program name: quotes group and vanish, a backslash before one escapes nothing.
        SplitRow{L"\"C:\\My Tools\\x.exe\" a", {L"C:\\My Tools\\x.exe", L"a"}},
        SplitRow{L"C:\\dir\\\"x y\"\\p.exe z", {L"C:\\dir\\x y\\p.exe", L"z"}},
        SplitRow{L"\"C:\\dir\\\" x", {L"C:\\dir\\", L"x"}},
        // A backslash before the closing quote escapes it: the argument runs on to the end.
        SplitRow{L"p \"E:\\Games\\\" \"C:\\\"", {L"p", L"E:\\Games\" C:\""}},
        SplitRow{L"", {L""}}));

}  // namespace
}  // namespace mirafold::testing
