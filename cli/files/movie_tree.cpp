#include "cli/files/movie_tree.h"

#include <algorithm>
#include <vector>

#include "cli/platform/directory_listing.h"

namespace vantrel::cli {
namespace {

struct Walker {
  const std::function<void(const std::string&)>& movie;
  const std::function<void(const std::string&, const std::string&)>& unreadable;

  void visit(const std::string& directory) const {
    std::vector<DirectoryEntry> entries;
    if (const auto why = listDirectory(directory, entries)) {
      unreadable(directory, *why);
      return;
    }
    // A directory sorts as its name and a separator, since that is how each
    // path beneath it goes on: then visiting the entries in this order gives
    // the paths in the order of the whole path.
    for (DirectoryEntry& entry : entries) {
      if (entry.kind == PathKind::Directory) entry.name += kPathSeparator;
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    for (DirectoryEntry& entry : entries) {
      if (entry.kind == PathKind::Directory) entry.name.pop_back();
      const std::string path = pathInDirectory(directory, entry.name);
      if (entry.kind == PathKind::Directory) {
        visit(path);
      } else if (entry.kind == PathKind::File && hasMovieName(entry.name)) {
        movie(path);
      }
    }
  }
};

}  // namespace

bool hasMovieName(const std::string& name) {
  static constexpr char kSuffix[] = ".qlm";
  if (name.size() < 4) return false;
  return std::equal(name.end() - 4, name.end(), kSuffix, [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

void forEachMovieBeneath(
    const std::string& root, const std::function<void(const std::string& path)>& movie,
    const std::function<void(const std::string& path, const std::string& why)>& unreadable) {
  Walker{movie, unreadable}.visit(root);
}

}  // namespace vantrel::cli
