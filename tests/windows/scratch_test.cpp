// Scratch trees under whatever temporary folder the environment names: never a root, never a
// folder the test did not make, and any name or length the system allows.

#include <windows.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "remove_scratch.h"
#include "temp_folder.h"
#include "temp_tree.h"

namespace mirafold::testing {
namespace {

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names the temporary folder through TMP, which the system reads first, for the scope.
class TemporaryFolderSetTo {
 public:
  explicit TemporaryFolderSetTo(const std::wstring& folder) {
    wchar_t previous[32768] = {};
    had_ = ::GetEnvironmentVariableW(L"TMP", previous, 32768) > 0;
    previous_ = previous;
    ::SetEnvironmentVariableW(L"TMP", folder.c_str());
  }
  ~TemporaryFolderSetTo() { ::SetEnvironmentVariableW(L"TMP", had_ ? previous_.c_str() : nullptr); }
  TemporaryFolderSetTo(const TemporaryFolderSetTo&) = delete;
  TemporaryFolderSetTo& operator=(const TemporaryFolderSetTo&) = delete;

 private:
  bool had_ = false;
  std::wstring previous_;
};

TEST(ScratchGuard, RefusesEverythingWhenTheTemporaryFolderIsARoot) {
  for (const wchar_t* root : {L"C:\\", L"Z:\\", L"\\\\server\\share\\"}) {
    const TemporaryFolderSetTo temp(root);
    EXPECT_FALSE(temporaryFolder()) << root;
    // A name nothing has: the guard must refuse before looking.
    EXPECT_FALSE(removeScratchFolder(std::wstring(root) + L"mirafold-no-such-entry-4f1c"));
    EXPECT_THROW(TempTree(), std::runtime_error);
  }
}

TEST(TempTreeTest, NeverWorksInAFolderItDidNotMake) {
  const TempTree outer;
  const TemporaryFolderSetTo temp(outer.at(L"missing\\deeper"));
  EXPECT_THROW(TempTree(), std::runtime_error);
  EXPECT_FALSE(exists(outer.at(L"missing")));
}

TEST(TempTreeTest, WorksBelowANonAsciiTemporaryFolder) {
  const TempTree outer;
  const std::wstring folder = outer.folder(L"临时 文件夹");
  std::wstring inner;
  {
    const TemporaryFolderSetTo temp(folder);
    const TempTree tree;
    inner = tree.path();
    EXPECT_EQ(inner.substr(0, folder.size() + 1), folder + L"\\");
    tree.file(L"文件.txt");
    EXPECT_TRUE(exists(inner + L"\\文件.txt"));
  }
  EXPECT_FALSE(exists(inner));  // removed under the same temporary folder
  EXPECT_TRUE(exists(folder));  // and nothing above it
}

// Wine's GetTempPathW fails beyond MAX_PATH, where the tree once took an empty folder and made
// itself at the root of the current drive; Windows gives the long folder.
TEST(TempTreeTest, BelowALongTemporaryFolderOrNowhere) {
  const TempTree outer;
  const std::wstring folder =
      outer.folder(std::wstring(120, L'长') + L"\\" + std::wstring(150, L'd'));
  const TemporaryFolderSetTo temp(folder);
  try {
    const TempTree tree;
    EXPECT_EQ(tree.path().substr(0, folder.size() + 1), folder + L"\\");
  } catch (const std::runtime_error&) {
    EXPECT_FALSE(temporaryFolder());
  }
}

}  // namespace
}  // namespace mirafold::testing
