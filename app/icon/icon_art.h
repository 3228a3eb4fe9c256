#ifndef VANTREL_APP_ICON_ICON_ART_H_
#define VANTREL_APP_ICON_ICON_ART_H_

#include <array>
#include <cstdint>
#include <vector>

// The program's icon, drawn in code: a strip of film with a tick across its
// frame, in the 16 colours of the standard Windows palette. make_icon writes
// it to app/vantrel.ico, which the resource script builds in.
namespace vantrel::app::icon {

// The images of the icon file, in file order.
inline constexpr std::array<int, 3> kIconSizes = {32, 16, 48};

// The standard 16-colour palette as 0x00RRGGBB.
const std::array<std::uint32_t, 16>& standardPalette();

// One square image: a palette index per pixel, rows from the top; a pixel
// marked transparent has index 0 and shows what lies behind the icon.
struct IconImage {
  int size = 0;
  std::vector<std::uint8_t> colours;
  std::vector<bool> transparent;
};

IconImage drawIcon(int size);

// The .ico file: a directory of kIconSizes.size() entries, then each image
// as a 4-bit bitmap with its AND mask.
std::vector<unsigned char> iconFileBytes();

}  // namespace vantrel::app::icon

#endif  // VANTREL_APP_ICON_ICON_ART_H_
