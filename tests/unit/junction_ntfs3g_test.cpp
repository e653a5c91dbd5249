// Our mount-point bytes read by an NTFS implementation that is not ours: ntfs-3g, through FUSE.

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "base/reparse_data.h"

extern char** environ;

namespace junction {
namespace {

namespace fs = std::filesystem;

std::string findProgram(const std::string& name) {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  path += ":/usr/sbin:/sbin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(':', start), path.size());
    const std::string candidate = path.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs a program quietly and returns its exit status (-1 when it could not run).
int runQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// A scratch NTFS volume mounted by ntfs-3g, unmounted and deleted on every path.
class Ntfs3gVolume {
 public:
  Ntfs3gVolume(std::string mkntfs, std::string ntfs3g, std::string fusermount)
      : ntfs3g_(std::move(ntfs3g)), fusermount_(std::move(fusermount)) {
    char pattern[] = "/tmp/junction-ntfs3g-XXXXXX";
    if (!::mkdtemp(pattern)) return;
    folder_ = pattern;
    image_ = folder_ / "volume.img";
    mountPoint_ = folder_ / "mnt";
    fs::create_directory(mountPoint_);
    std::ofstream(image_).close();
    fs::resize_file(image_, 64 << 20);
    formatted_ = runQuietly({mkntfs, "-q", "-F", "-f", image_.string()}) == 0;
  }
  ~Ntfs3gVolume() {
    unmount();
    // Only an unmounted folder is removed, so nothing through the mount is ever touched.
    if (!folder_.empty() && !mounted_) {
      std::error_code ignored;
      fs::remove_all(folder_, ignored);
    }
  }
  Ntfs3gVolume(const Ntfs3gVolume&) = delete;
  Ntfs3gVolume& operator=(const Ntfs3gVolume&) = delete;

  bool formatted() const { return formatted_; }
  bool mount() {
    mounted_ = runQuietly({ntfs3g_, image_.string(), mountPoint_.string()}) == 0;
    return mounted_;
  }
  void unmount() {
    if (mounted_ && runQuietly({fusermount_, "-u", mountPoint_.string()}) == 0) mounted_ = false;
  }
  bool mounted() const { return mounted_; }
  const fs::path& root() const { return mountPoint_; }

 private:
  std::string ntfs3g_;
  std::string fusermount_;
  fs::path folder_;
  fs::path image_;
  fs::path mountPoint_;
  bool formatted_ = false;
  bool mounted_ = false;
};

TEST(Ntfs3g, ResolvesOurMountPointBytesToTheTarget) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting through FUSE needs root";
  if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
  const std::string mkntfs = findProgram("mkntfs");
  const std::string ntfs3g = findProgram("ntfs-3g");
  const std::string fusermount = findProgram("fusermount");
  if (mkntfs.empty() || ntfs3g.empty() || fusermount.empty()) {
    GTEST_SKIP() << "mkntfs, ntfs-3g or fusermount missing (Debian package ntfs-3g)";
  }

  Ntfs3gVolume volume(mkntfs, ntfs3g, fusermount);
  ASSERT_TRUE(volume.formatted()) << "mkntfs failed";
  if (!volume.mount()) GTEST_SKIP() << "ntfs-3g could not mount (FUSE not usable here)";

  // The volume is drive C: to the junction; ntfs-3g maps the drive root to its mount point.
  const std::string targetName = "目标 folder";
  const fs::path target = volume.root() / targetName;
  fs::create_directory(target);
  std::ofstream(target / "one.txt") << "1";
  std::ofstream(target / "two.txt") << "2";
  const fs::path link = volume.root() / "link";
  fs::create_directory(link);

  const std::wstring windowsTarget = L"C:\\目标 folder";
  const auto bytes =
      mirafold::base::buildMountPointData({L"\\??\\" + windowsTarget, windowsTarget});
  ASSERT_TRUE(bytes);
  ASSERT_EQ(::setxattr(link.c_str(), "system.ntfs_reparse_data", bytes->data(), bytes->size(), 0),
            0)
      << "ntfs-3g refused the reparse data: " << std::strerror(errno);

  // Mounted afresh, so that what is seen comes from the volume and not from a cache.
  volume.unmount();
  ASSERT_FALSE(volume.mounted());
  ASSERT_TRUE(volume.mount());

  // The link is now a symbolic link to ntfs-3g: read its own attribute, not its target's.
  std::vector<char> stored(mirafold::base::kMaximumReparseDataSize);
  const ssize_t got =
      ::lgetxattr(link.c_str(), "system.ntfs_reparse_data", stored.data(), stored.size());
  ASSERT_GT(got, 0);
  stored.resize(static_cast<std::size_t>(got));
  EXPECT_EQ(std::vector<std::uint8_t>(stored.begin(), stored.end()), *bytes);

  ASSERT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), target);
  std::set<std::string> listed;
  for (const auto& entry : fs::directory_iterator(link)) listed.insert(entry.path().filename());
  EXPECT_EQ(listed, (std::set<std::string>{"one.txt", "two.txt"}));
}

}  // namespace
}  // namespace junction
