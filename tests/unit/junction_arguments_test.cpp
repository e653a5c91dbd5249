#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "junction/arguments.h"

namespace junction {
namespace {

struct Row {
  std::vector<std::wstring> args;
  Action action;
  std::wstring link;
  std::wstring target;
};

class GoodArguments : public testing::TestWithParam<Row> {};

TEST_P(GoodArguments, AreUnderstood) {
  const Row& row = GetParam();
  const Arguments parsed = parseArguments(row.args);
  EXPECT_EQ(parsed.problem, L"");
  EXPECT_EQ(parsed.action, row.action);
  EXPECT_EQ(parsed.link, row.link);
  EXPECT_EQ(parsed.target, row.target);
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, GoodArguments,
    testing::Values(
        Row{{L"/accepteula"}, Action::AcceptEula, L"", L""},
        Row{{L"-accepteula"}, Action::AcceptEula, L"", L""},
        Row{{L"/AcceptEula"}, Action::AcceptEula, L"", L""},
        Row{{L"C:\\a b\\link", L"C:\\target"}, Action::Create, L"C:\\a b\\link", L"C:\\target"},
        Row{{L"link", L"..\\relative"}, Action::Create, L"link", L"..\\relative"},
        Row{{L"/accepteula", L"link", L"target"}, Action::Create, L"link", L"target"},
        Row{{L"link", L"target", L"-accepteula"}, Action::Create, L"link", L"target"},
        Row{{L"C:\\link"}, Action::Query, L"C:\\link", L""},
        Row{{L"-d", L"C:\\link"}, Action::Delete, L"C:\\link", L""},
        Row{{L"/D", L"C:\\link"}, Action::Delete, L"C:\\link", L""},
        Row{{L"-s", L"C:\\"}, Action::Scan, L"C:\\", L""},
        Row{{L"/s", L"folder"}, Action::Scan, L"folder", L""},
        Row{{L"-r", L"link", L"C:\\new"}, Action::Retarget, L"link", L"C:\\new"},
        Row{{L"-h"}, Action::Usage, L"", L""}, Row{{L"/?"}, Action::Usage, L"", L""},
        Row{{L"--help"}, Action::Usage, L"", L""}, Row{{L"link", L"-?"}, Action::Usage, L"", L""},
        // "--" lets paths start with a dash and makes options plain paths.
        Row{{L"--", L"-d", L"-s"}, Action::Create, L"-d", L"-s"},
        Row{{L"--", L"-link"}, Action::Query, L"-link", L""},
        // A slash alone is a path (the root of the current drive), not an option.
        Row{{L"/x", L"/y"}, Action::Create, L"/x", L"/y"},
        Row{{L"中文 文件夹", L"目标"}, Action::Create, L"中文 文件夹", L"目标"}));

struct BadRow {
  std::vector<std::wstring> args;
  std::wstring problem;
};

class BadArguments : public testing::TestWithParam<BadRow> {};

TEST_P(BadArguments, AreRefusedWithAReason) {
  const Arguments parsed = parseArguments(GetParam().args);
  EXPECT_EQ(parsed.action, Action::Usage);
  EXPECT_EQ(parsed.problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(EveryMistake, BadArguments,
                         testing::Values(BadRow{{}, L"No arguments given."},
                                         BadRow{{L"--"}, L"No path given."},
                                         BadRow{{L"a", L"b", L"c"}, L"Too many arguments."},
                                         BadRow{{L"", L"target"}, L"A path is empty."},
                                         BadRow{{L"link", L""}, L"A path is empty."},
                                         BadRow{{L"-d"}, L"-d needs a path."},
                                         BadRow{{L"-d", L"a", L"b"}, L"-d takes one path only."},
                                         BadRow{{L"-d", L""}, L"The path is empty."},
                                         BadRow{{L"-s"}, L"-s needs a path."},
                                         BadRow{{L"-r", L"a"}, L"-r takes LINK and TARGET."},
                                         BadRow{{L"-x", L"link"}, L"Unknown option -x."},
                                         BadRow{{L"link", L"-q"}, L"Unknown option -q."}));

TEST(Usage, NamesEveryForm) {
  const std::wstring text = usageText();
  for (const wchar_t* form : {L"LINK TARGET", L"-d LINK", L"-r LINK TARGET", L"-s FOLDER", L"-h"}) {
    EXPECT_NE(text.find(form), std::wstring::npos) << form;
  }
}

}  // namespace
}  // namespace junction
