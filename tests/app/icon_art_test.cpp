#include "app/icon/icon_art.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace vantrel::app::icon {
namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t word16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

std::uint32_t word32(const Bytes& bytes, std::size_t at) {
  return word16(bytes, at) | word16(bytes, at + 2) << 16;
}

Bytes committedIcon() {
  std::ifstream file(VANTREL_ICON_FILE, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(IconFile, TheCommittedIconIsWhatTheDrawingGives) {
  // Run the build target vantrel_icon after changing the drawing.
  EXPECT_EQ(committedIcon(), iconFileBytes());
}

TEST(IconFile, HoldsThreeSixteenColourImagesOf32Then16Then48) {
  const Bytes file = committedIcon();
  ASSERT_GE(file.size(), 6u + 3 * 16);
  EXPECT_EQ(word16(file, 0), 0u);
  EXPECT_EQ(word16(file, 2), 1u);  // icon
  ASSERT_EQ(word16(file, 4), 3u);
  const int sizes[] = {32, 16, 48};
  std::size_t expectedOffset = 6 + 3 * 16;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(sizes[i]);
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    EXPECT_EQ(file[entry], sizes[i]);
    EXPECT_EQ(file[entry + 1], sizes[i]);
    EXPECT_EQ(file[entry + 2], 16);  // colours
    EXPECT_EQ(word16(file, entry + 4), 1u);  // planes
    EXPECT_EQ(word16(file, entry + 6), 4u);  // bits per pixel
    const std::uint32_t length = word32(file, entry + 8);
    const std::uint32_t offset = word32(file, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    ASSERT_LE(std::size_t{offset} + length, file.size());

    // The image: a bitmap header of double height, 4 bits, 16 palette
    // entries, then the colour rows (4-byte aligned) and the mask rows.
    const std::size_t rowColour = (static_cast<std::size_t>(sizes[i]) * 4 + 31) / 32 * 4;
    const std::size_t rowMask = (static_cast<std::size_t>(sizes[i]) + 31) / 32 * 4;
    EXPECT_EQ(word32(file, offset), 40u);
    EXPECT_EQ(word32(file, offset + 4), static_cast<std::uint32_t>(sizes[i]));
    EXPECT_EQ(word32(file, offset + 8), static_cast<std::uint32_t>(2 * sizes[i]));
    EXPECT_EQ(word16(file, offset + 14), 4u);
    EXPECT_EQ(length, 40 + 64 + static_cast<std::size_t>(sizes[i]) * (rowColour + rowMask));
    expectedOffset += length;
  }
  EXPECT_EQ(expectedOffset, file.size());
}

TEST(IconDrawing, EverySizeIsAPictureWithATransparentSurround) {
  for (const int size : kIconSizes) {
    SCOPED_TRACE(size);
    const IconImage image = drawIcon(size);
    ASSERT_EQ(image.colours.size(), static_cast<std::size_t>(size * size));
    ASSERT_EQ(image.transparent.size(), image.colours.size());
    std::set<int> opaqueColours;
    std::size_t transparentCount = 0;
    for (std::size_t i = 0; i < image.colours.size(); ++i) {
      ASSERT_LT(image.colours[i], 16);
      if (image.transparent[i]) {
        ++transparentCount;
        EXPECT_EQ(image.colours[i], 0) << "a transparent pixel must be black under its mask";
      } else {
        opaqueColours.insert(image.colours[i]);
      }
    }
    EXPECT_GE(opaqueColours.size(), 5u);
    EXPECT_GT(transparentCount, 0u);
    EXPECT_GT(image.colours.size() - transparentCount, image.colours.size() / 2);
    // The corners are clear, the middle is drawn.
    EXPECT_TRUE(image.transparent.front());
    EXPECT_TRUE(image.transparent.back());
    EXPECT_FALSE(image.transparent[static_cast<std::size_t>(size / 2 * size + size / 2)]);
  }
}

TEST(IconDrawing, UsesTheStandardPalette) {
  const auto& palette = standardPalette();
  EXPECT_EQ(palette[0], 0x000000u);
  EXPECT_EQ(palette[7], 0xC0C0C0u);
  EXPECT_EQ(palette[8], 0x808080u);
  EXPECT_EQ(palette[15], 0xFFFFFFu);
  const Bytes file = iconFileBytes();
  const std::size_t firstImage = word32(file, 6 + 12);
  // Palette entries are blue, green, red, 0.
  EXPECT_EQ(file[firstImage + 40 + 4 * 9 + 2], 0xFF);
  EXPECT_EQ(file[firstImage + 40 + 4 * 9 + 0], 0x00);
}

}  // namespace
}  // namespace vantrel::app::icon
