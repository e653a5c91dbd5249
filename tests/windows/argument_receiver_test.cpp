// Command lines as the system's own CommandLineToArgvW splits them: junction.exe's quoting for
// the programs it starts, the program's composed line for junction.exe, and the test splitter
// that the fuzz target relies on.

#include <windows.h>

#include <shellapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "argument_split.h"
#include "base/command_line.h"
#include "base/text.h"
#include "link/command_line.h"
#include "link/tool.h"

namespace {

using Arguments = std::vector<std::wstring>;

Arguments systemSplit(const std::wstring& line) {
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &count);
  Arguments out(argv, argv + (argv ? count : 0));
  ::LocalFree(argv);
  return out;
}

const wchar_t* const kArguments[] = {L"",           L"plain",       L"with space", L"tab\there",
                                     L"C:\\dir\\",  L"C:\\dir\\\\", L"\\",         L"\"",
                                     L"say \"hi\"", L"a\\\"b",      L"a\\\\\"b",   L"\"\"",
                                     L"end\\\\\\",  L"中文 目录\\", L"C:\\"};

TEST(QuoteArgument, TheSystemSplitsItBackIntoTheArgument) {
  for (const wchar_t* argument : kArguments) {
    const std::wstring line = L"program.exe " + mirafold::base::quoteArgument(argument) + L" next";
    EXPECT_EQ(systemSplit(line), (Arguments{L"program.exe", argument, L"next"}))
        << mirafold::base::toUtf8(line);
  }
}

TEST(JoinArguments, TheSystemSplitsItBackIntoAllArguments) {
  const Arguments arguments(std::begin(kArguments), std::end(kArguments));
  const std::wstring line = mirafold::base::joinArguments(arguments);
  EXPECT_EQ(systemSplit(line), arguments) << mirafold::base::toUtf8(line);
}

TEST(ComposedCommandLine, TheToolGetsExactlyTheLinkPathAndTheTarget) {
  struct Row {
    const wchar_t* folder;
    const wchar_t* location;
    const wchar_t* target;
  };
  const Row rows[] = {
      {L"D:\\Tools", L"E:\\Games", L"C:\\Program Files\\Foo"},
      {L"D:\\My Tools", L"E:\\", L"C:\\Data"},
      {L"E:\\", L"E:\\Games", L"C:\\"},  // a root target leaves the link path ending in a backslash
      {L"C:\\程序 目录", L"D:\\链接", L"C:\\数据\\存档"},
  };
  for (const Row& row : rows) {
    const std::wstring line =
        mirafold::link::composeCommandLine(row.folder, row.location, row.target);
    EXPECT_EQ(systemSplit(line),
              (Arguments{mirafold::link::toolPath(row.folder),
                         mirafold::link::linkPathOf(row.location, row.target), row.target}))
        << mirafold::base::toUtf8(line);
  }
}

// The fuzz target trusts this splitter; here it meets the system's on the lines that matter.
TEST(TestSplitter, AgreesWithTheSystem) {
  std::vector<std::wstring> lines = {L"p \"a b c\" d e",
                                     L"p \"ab\\\"c\" \"\\\\\" d",
                                     L"p a\\\\\\b d\"e f\"g h",
                                     L"p a\\\\\\\"b c d",
                                     L"p a\\\\\\\\\"b c\" d e",
                                     L"p a\"b\"\" c d",
                                     L"\"C:\\My Tools\\x.exe\" a",
                                     L"\"C:\\dir\\\" x",
                                     L"p \"E:\\Games\\\" \"C:\\\"",
                                     L"p\ta  \t b \"\""};
  for (const wchar_t* argument : kArguments) {
    lines.push_back(L"p " + mirafold::base::quoteArgument(argument));
  }
  for (const std::wstring& line : lines) {
    EXPECT_EQ(mirafold::testing::splitLikeTheCRuntime(line), systemSplit(line))
        << mirafold::base::toUtf8(line);
  }
}

}  // namespace
