#ifndef VANTREL_APP_OPEN_MOVIE_DIALOG_H_
#define VANTREL_APP_OPEN_MOVIE_DIALOG_H_

#include <optional>
#include <string>

namespace vantrel::app {

struct ChosenMovie {
  std::string path;         // full path
  std::string displayName;  // the file title the dialog gave
};

// Asks the user for a movie with the standard open-file dialog, owned by no
// window. Empty when the user cancelled or the dialog failed.
std::optional<ChosenMovie> askForMovie();

}  // namespace vantrel::app

#endif  // VANTREL_APP_OPEN_MOVIE_DIALOG_H_
