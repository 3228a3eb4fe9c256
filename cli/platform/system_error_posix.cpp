#include <cerrno>
#include <cstring>

#include "cli/platform/system_error.h"

namespace vantrel::cli {

std::string systemErrorText(long code) { return std::strerror(static_cast<int>(code)); }

std::string lastSystemErrorText() { return systemErrorText(errno); }

long pathTooLongError() { return ENAMETOOLONG; }

}  // namespace vantrel::cli
