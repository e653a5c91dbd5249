#include "app/argument.h"
#include "platform/argument_text.h"

#include <gtest/gtest.h>

namespace mirafold::app {
namespace {

struct Row {
  const wchar_t* commandLine;
  const wchar_t* argument;
};

TEST(ArgumentTextOfTest, DropsTheProgramNameAndTheBlanksAfterIt) {
  const Row rows[] = {
      {L"\"C:\\Program Files\\mirafold.exe\" \"D:\\My Data\"", L"\"D:\\My Data\""},
      {L"mirafold.exe D:\\Data", L"D:\\Data"},
      {L"mirafold.exe \t  D:\\Data  ", L"D:\\Data  "},
      {L"\"C:\\a b\\mirafold.exe\"", L""},
      {L"mirafold.exe", L""},
      {L"", L""},
      // The name runs on past its closing quote up to the next blank, as the C runtime reads it.
      {L"\"C:\\a b\\m\"x.exe D:\\Data", L"D:\\Data"},
      // Two folders stay one text.
      {L"m.exe \"D:\\A\" \"D:\\B\"", L"\"D:\\A\" \"D:\\B\""},
      {L"\"unterminated name", L""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform::argumentTextOf(row.commandLine), row.argument) << row.commandLine;
  }
}

TEST(WithoutQuotesTest, RemovesEveryQuoteAndNothingElse) {
  EXPECT_EQ(withoutQuotes(L"\"D:\\My Data\""), L"D:\\My Data");
  EXPECT_EQ(withoutQuotes(L"\"D:\\A\" \"D:\\B\""), L"D:\\A D:\\B");
  EXPECT_EQ(withoutQuotes(L"D:\\\"odd\"\\x "), L"D:\\odd\\x ");
  EXPECT_EQ(withoutQuotes(L"\"\"\""), L"");
}

}  // namespace
}  // namespace mirafold::app
