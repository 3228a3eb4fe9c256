#ifndef VANTREL_TESTS_SUPPORT_SMALL_TMPFS_H_
#define VANTREL_TESTS_SUPPORT_SMALL_TMPFS_H_

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel::moviekit {

// A tmpfs of `kib` KiB that a test mounts on a fresh folder of its own and
// unmounts when done: a file system that can be filled to the brim. Only
// root may mount; mounted() says whether it worked, and whyNot() why not.
class SmallTmpfs {
 public:
  explicit SmallTmpfs(unsigned kib) {
    char folder[] = "/tmp/vantrel-tmpfs.XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
      whyNot_ = std::string("cannot make a folder for it: ") + std::strerror(errno);
      return;
    }
    folder_ = folder;
    const std::string size = "size=" + std::to_string(kib) + "k";
    if (::geteuid() != 0) {
      whyNot_ = "needs root, to mount a small tmpfs and fill it up";
    } else if (::mount("tmpfs", folder, "tmpfs", 0, size.c_str()) != 0) {
      whyNot_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    } else {
      mounted_ = true;
    }
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount(folder_.c_str());
    if (!folder_.empty()) ::rmdir(folder_.c_str());
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& whyNot() const { return whyNot_; }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  // Takes every page still free into a file of its own.
  void fill() const {
    const int fd = ::open(path("filler").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::vector<char> page(4096, 'f');
    while (::write(fd, page.data(), page.size()) > 0) {
    }
    ::close(fd);
  }

 private:
  std::string folder_;
  bool mounted_ = false;
  std::string whyNot_;
};

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_SMALL_TMPFS_H_
