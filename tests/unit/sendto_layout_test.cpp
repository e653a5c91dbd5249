// The dialog's pictures as the program stores them: each picture control names a JPEG resource
// whose image has exactly the control's size at 15 twips a pixel.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

#include "sendto/sendto_layout.h"

namespace mirafold {
namespace {

const std::filesystem::path kResources =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "res";

std::string contentOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Size {
  int width, height;
};

// From the first start-of-frame marker of a JPEG file.
std::optional<Size> jpegSize(const std::string& bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes.at(i)); };
  if (bytes.size() < 4 || at(0) != 0xFF || at(1) != 0xD8) return std::nullopt;
  std::size_t i = 2;
  while (i + 9 < bytes.size() && at(i) == 0xFF) {
    const unsigned marker = at(i + 1);
    const std::size_t length = at(i + 2) << 8 | at(i + 3);
    const bool startOfFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) return Size{at(i + 7) << 8 | at(i + 8), at(i + 5) << 8 | at(i + 6)};
    i += 2 + length;
  }
  return std::nullopt;
}

// Resource number to file, as the resource script and the identifier header declare them.
std::map<int, std::string> rcdataFiles() {
  std::map<std::string, int> numbers;
  const std::string ids = contentOf(kResources / "resource_ids.h");
  const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
  for (std::sregex_iterator m(ids.begin(), ids.end(), define), end; m != end; ++m) {
    numbers[(*m)[1]] = std::stoi((*m)[2]);
  }
  std::map<int, std::string> files;
  const std::string script = contentOf(kResources / "mirafold.rc");
  const std::regex rcdata(R"re((\w+)\s+RCDATA\s+"([^"]+)")re");
  for (std::sregex_iterator m(script.begin(), script.end(), rcdata), end; m != end; ++m) {
    if (numbers.count((*m)[1])) files[numbers[(*m)[1]]] = (*m)[2];
  }
  return files;
}

TEST(SendToLayoutTest, EachPictureControlHasItsJpegsSize) {
  const auto files = rcdataFiles();
  int pictures = 0;
  for (const platform::Control& control : sendto::sendToDialogLayout().controls) {
    if (control.kind != platform::ControlKind::Picture) continue;
    ++pictures;
    SCOPED_TRACE(std::string(control.name.begin(), control.name.end()));
    ASSERT_EQ(files.count(control.resource), 1u)
        << "no JPEG resource numbered " << control.resource;
    const auto size = jpegSize(contentOf(kResources / files.at(control.resource)));
    ASSERT_TRUE(size) << files.at(control.resource) << " is no JPEG";
    EXPECT_EQ(control.width, size->width * 15);
    EXPECT_EQ(control.height, size->height * 15);
  }
  EXPECT_EQ(pictures, 2);
}

}  // namespace
}  // namespace mirafold
