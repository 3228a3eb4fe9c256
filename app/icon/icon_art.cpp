#include "app/icon/icon_art.h"

#include <algorithm>
#include <cmath>

namespace vantrel::app::icon {
namespace {

enum Colour : std::uint8_t {
  kBlack = 0,
  kGreen = 2,
  kNavy = 4,
  kTeal = 6,
  kSilver = 7,
  kGrey = 8,
  kLime = 10,
  kAqua = 14,
  kWhite = 15,
};

constexpr std::uint32_t kBitmapHeaderSize = 40;
constexpr std::uint32_t kDirectorySize = 6;
constexpr std::uint32_t kDirectoryEntrySize = 16;

bool inBox(double u, double v, double left, double top, double right, double bottom) {
  return u >= left && u < right && v >= top && v < bottom;
}

// Distance from (u, v) to the segment from (ax, ay) to (bx, by).
double segmentDistance(double u, double v, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double along = std::clamp(((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(u - (ax + along * dx), v - (ay + along * dy));
}

double tickDistance(double u, double v) {
  return std::min(segmentDistance(u, v, 0.30, 0.50, 0.45, 0.66),
                  segmentDistance(u, v, 0.45, 0.66, 0.78, 0.30));
}

// The colour at (u, v), both from 0 to 1 across the image; -1 where the icon
// is transparent.
int colourAt(double u, double v, double pixel) {
  const double tick = tickDistance(u, v);
  const double tickWidth = std::max(0.07, 0.9 * pixel);
  if (tick < tickWidth) return kLime;
  if (tick < tickWidth + std::max(0.035, 0.8 * pixel)) return kGreen;

  if (!inBox(u, v, 0.04, 0.14, 0.96, 0.86)) return -1;
  // Perforations along the top and bottom edges of the strip.
  const bool edgeBand = inBox(u, v, 0.04, 0.18, 0.96, 0.27) || inBox(u, v, 0.04, 0.73, 0.96, 0.82);
  if (edgeBand) {
    const double phase = std::fmod((u - 0.04) / 0.153, 1.0);
    return phase > 0.3 && phase < 0.75 ? kWhite : kBlack;
  }
  if (inBox(u, v, 0.10, 0.31, 0.90, 0.69)) {
    // The frame: a sky over a horizon, so a picture shows even at 16 pixels.
    if (v < 0.46) return kAqua;
    if (v < 0.55) return kTeal;
    return kNavy;
  }
  return kGrey;
}

void putWord16(std::vector<unsigned char>& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void putWord32(std::vector<unsigned char>& out, std::uint32_t value) {
  putWord16(out, value & 0xFFFFu);
  putWord16(out, value >> 16);
}

std::uint32_t colourRowBytes(int size) { return (static_cast<std::uint32_t>(size) * 4 + 31) / 32 * 4; }
std::uint32_t maskRowBytes(int size) { return (static_cast<std::uint32_t>(size) + 31) / 32 * 4; }

std::uint32_t imageBytes(int size) {
  const auto rows = static_cast<std::uint32_t>(size);
  return kBitmapHeaderSize + 16 * 4 + rows * (colourRowBytes(size) + maskRowBytes(size));
}

// A bitmap header of twice the height (colours, then mask), the palette, the
// colour rows and the mask rows, both from the bottom row up.
void appendImage(std::vector<unsigned char>& out, const IconImage& image) {
  const int size = image.size;
  putWord32(out, kBitmapHeaderSize);
  putWord32(out, static_cast<std::uint32_t>(size));
  putWord32(out, static_cast<std::uint32_t>(size) * 2);
  putWord16(out, 1);  // planes
  putWord16(out, 4);  // bits per pixel
  putWord32(out, 0);  // no compression
  putWord32(out, imageBytes(size) - kBitmapHeaderSize - 16 * 4);
  for (int i = 0; i < 4; ++i) putWord32(out, 0);  // resolution and colour counts unused
  for (const std::uint32_t rgb : standardPalette()) {
    out.push_back(static_cast<unsigned char>(rgb));
    out.push_back(static_cast<unsigned char>(rgb >> 8));
    out.push_back(static_cast<unsigned char>(rgb >> 16));
    out.push_back(0);
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<unsigned char> row(colourRowBytes(size), 0);
    for (int x = 0; x < size; ++x) {
      const std::uint8_t colour = image.colours[static_cast<std::size_t>(y * size + x)];
      row[static_cast<std::size_t>(x / 2)] |= static_cast<unsigned char>(x % 2 == 0 ? colour << 4 : colour);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<unsigned char> row(maskRowBytes(size), 0);
    for (int x = 0; x < size; ++x) {
      if (image.transparent[static_cast<std::size_t>(y * size + x)]) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

}  // namespace

const std::array<std::uint32_t, 16>& standardPalette() {
  static const std::array<std::uint32_t, 16> palette = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
  };
  return palette;
}

IconImage drawIcon(int size) {
  IconImage image;
  image.size = size;
  const double pixel = 1.0 / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int colour = colourAt((x + 0.5) * pixel, (y + 0.5) * pixel, pixel);
      image.colours.push_back(static_cast<std::uint8_t>(colour < 0 ? kBlack : colour));
      image.transparent.push_back(colour < 0);
    }
  }
  return image;
}

std::vector<unsigned char> iconFileBytes() {
  std::vector<unsigned char> out;
  putWord16(out, 0);  // reserved
  putWord16(out, 1);  // an icon, not a cursor
  putWord16(out, static_cast<std::uint32_t>(kIconSizes.size()));
  std::uint32_t offset = kDirectorySize + kDirectoryEntrySize * static_cast<std::uint32_t>(kIconSizes.size());
  for (const int size : kIconSizes) {
    out.push_back(static_cast<unsigned char>(size));
    out.push_back(static_cast<unsigned char>(size));
    out.push_back(16);  // colours
    out.push_back(0);
    putWord16(out, 1);  // planes
    putWord16(out, 4);  // bits per pixel
    putWord32(out, imageBytes(size));
    putWord32(out, offset);
    offset += imageBytes(size);
  }
  for (const int size : kIconSizes) appendImage(out, drawIcon(size));
  return out;
}

}  // namespace vantrel::app::icon
