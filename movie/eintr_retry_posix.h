#ifndef VANTREL_MOVIE_EINTR_RETRY_POSIX_H_
#define VANTREL_MOVIE_EINTR_RETRY_POSIX_H_

#include <cerrno>

namespace vantrel {

// POSIX only. Calls `call` again while a signal breaks it off: while it
// answers less than zero with errno EINTR. Not for close(), whose
// descriptor is gone whatever it answers.
template <typename Call>
auto retried(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace vantrel

#endif  // VANTREL_MOVIE_EINTR_RETRY_POSIX_H_
