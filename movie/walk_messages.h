#ifndef VANTREL_MOVIE_WALK_MESSAGES_H_
#define VANTREL_MOVIE_WALK_MESSAGES_H_

#include <cstdint>
#include <string>

#include "movie/walk_result.h"

namespace vantrel {

// What the user is told at the end of a walk, in the words both programs
// use; each program's own table says how it shows them. The Done text is a
// format filled by completionText().
struct ResultMessage {
  const char* text;
};

const ResultMessage& resultMessage(WalkResult result);

// The Done text for the movie named `displayName`: "Fix Complete", an empty
// line, the file's name and the count, on lines of their own.
std::string completionText(const std::string& displayName, std::uint64_t fixCount);

// The text and caption shown when a fix could not be written.
inline constexpr char kWriteFailedText[] = "??";

}  // namespace vantrel

#endif  // VANTREL_MOVIE_WALK_MESSAGES_H_
