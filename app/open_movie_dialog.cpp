#include "app/open_movie_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include "app/app_messages.h"

namespace vantrel::app {

std::optional<ChosenMovie> askForMovie() {
  char path[MAX_PATH] = "";
  char title[MAX_PATH] = "";
  const std::string filter = movieFilter();

  OPENFILENAMEA request{};
  // The Windows NT 4 layout: 76 bytes in the 32-bit program. The 64-bit
  // build has wider pointers, so the size comes from the header, not a literal.
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = nullptr;
  request.lpstrFilter = filter.c_str();
  request.lpstrFile = path;
  request.nMaxFile = MAX_PATH;
  request.lpstrFileTitle = title;
  request.nMaxFileTitle = MAX_PATH;
  request.lpstrTitle = kOpenDialogTitle;
  request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  request.lpstrDefExt = "";
  if (!GetOpenFileNameA(&request)) return std::nullopt;
  return ChosenMovie{path, title};
}

}  // namespace vantrel::app
