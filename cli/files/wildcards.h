#ifndef VANTREL_CLI_FILES_WILDCARDS_H_
#define VANTREL_CLI_FILES_WILDCARDS_H_

#include <string>
#include <vector>

namespace vantrel::cli {

// Whether `name` matches `pattern`, where '*' stands for any run of
// characters and '?' for any one (a UTF-8 character, not a byte), and
// letters match in either case, as Windows matches names.
bool wildcardMatches(const std::string& pattern, const std::string& name);

// `arguments`, each one whose last component holds '*' or '?' replaced by
// the paths of the files and folders it matches, in sorted order, byte by
// byte. An argument that matches nothing (or whose folder cannot be read)
// is kept as it stands, and fails later as a missing file. Windows leaves
// this to each program; on POSIX the shell has done it.
std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_WILDCARDS_H_
