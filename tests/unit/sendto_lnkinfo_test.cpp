// A reader that is not ours: lnkinfo (liblnk-utils) must find the target and the icon location in
// the shortcut our writer makes.

#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "sendto/shell_link.h"

namespace mirafold {
namespace {

std::string utf8(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) {
    const auto p = static_cast<std::uint32_t>(c);
    if (p < 0x80) {
      out += static_cast<char>(p);
    } else if (p < 0x800) {
      out += static_cast<char>(0xC0 | p >> 6);
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else if (p < 0x10000) {
      out += static_cast<char>(0xE0 | p >> 12);
      out += static_cast<char>(0x80 | (p >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | p >> 18);
      out += static_cast<char>(0x80 | (p >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (p >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    }
  }
  return out;
}

// lnkinfo's "Name<tabs>: value" lines, by name.
std::map<std::string, std::string> lnkinfo(const std::filesystem::path& file) {
  std::map<std::string, std::string> fields;
  const std::string command = "lnkinfo '" + file.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return fields;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    const auto colon = text.find(": ");
    if (colon == std::string::npos) continue;
    const auto first = text.find_first_not_of('\t');
    const auto last = colon == 0 ? std::string::npos : text.find_last_not_of("\t ", colon - 1);
    if (first == std::string::npos || last == std::string::npos || last < first) continue;
    fields[text.substr(first, last - first + 1)] = text.substr(colon + 2);
  }
  ::pclose(pipe);
  return fields;
}

TEST(ShellLinkLnkinfoTest, ReadsTheTargetAndTheIconLocation) {
  ASSERT_EQ(std::system("command -v lnkinfo >/dev/null"), 0)
      << "lnkinfo is missing: apt-get install liblnk-utils";
  const struct Folder {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("mirafold-lnkinfo-" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(dir); }
    ~Folder() { std::filesystem::remove_all(dir); }
  } folder;

  const struct {
    const wchar_t* target;
    const char* ansi;
    const wchar_t* icon;
  } rows[] = {
      {L"D:\\Tools\\mirafold.exe", "D:\\Tools\\mirafold.exe", L"D:\\Tools\\mirafold.exe"},
      {L"C:\\Users\\张三\\下载\\mirafold.exe", "C:\\Users\\??\\??\\mirafold.exe",
       L"C:\\Users\\张三\\下载\\mirafold.exe"},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.target));
    const auto bytes = sendto::shellLinkBytes({row.target, row.ansi, row.icon, 3, 0x1234});
    ASSERT_TRUE(bytes);
    const auto file = folder.dir / ("link" + std::to_string(n++) + ".lnk");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()),
               static_cast<std::streamsize>(bytes->size()));

    auto fields = lnkinfo(file);
    EXPECT_EQ(fields["Local path"], utf8(row.target));
    EXPECT_EQ(fields["Icon location"], utf8(row.icon));
    EXPECT_EQ(fields["Hot Key value"], "0");
    EXPECT_EQ(fields["Drive serial number"], "0x00001234");
  }
}

}  // namespace
}  // namespace mirafold
