// Checks the generated skin files as Windows will read them: headers, sizes, colours where the layout needs them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/artgen/artgen.h"

namespace {

using quelvar::artgen::Image;
using quelvar::artgen::Pixel;
namespace art = quelvar::artgen;

std::uint32_t ReadU16(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 2 > b.size()) return 0xFFFFFFFFu;
  return b[at] | (b[at + 1] << 8);
}
std::uint32_t ReadU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 4 > b.size()) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(b[at]) | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes a bottom-up 24-bit BI_RGB file the way the loader does; nullopt on anything else.
std::optional<Image> DecodeBmp24(const std::vector<std::uint8_t>& b) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  const std::uint32_t offset = ReadU32(b, 10);
  const auto width = static_cast<std::int32_t>(ReadU32(b, 18));
  const auto height = static_cast<std::int32_t>(ReadU32(b, 22));
  if (ReadU32(b, 14) != 40 || ReadU16(b, 26) != 1 || ReadU16(b, 28) != 24 || ReadU32(b, 30) != 0) {
    return std::nullopt;
  }
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (offset + stride * height > b.size()) return std::nullopt;
  Image img{width, height, std::vector<Pixel>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::size_t at = row + 3 * static_cast<std::size_t>(x);
      img.pixels[static_cast<std::size_t>(y) * width + x] = {b[at + 2], b[at + 1], b[at], 255};
    }
  }
  return img;
}

int Luma(Pixel p) { return (p.r * 299 + p.g * 587 + p.b * 114) / 1000; }
bool IsBlue(Pixel p) { return p.b >= 120 && p.b - p.r >= 60 && p.b - p.g >= 25; }

class ArtSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("artgen-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::string error;
    ASSERT_TRUE(art::WriteArtSet(dir_, error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Image LoadBmp(const char* name) {
    const std::optional<Image> img = DecodeBmp24(ReadFile(dir_ / name));
    EXPECT_TRUE(img.has_value()) << name;
    return img.value_or(Image{});
  }

  std::filesystem::path dir_;
};

TEST_F(ArtSetTest, BitmapsAreExact24BitFilesOfTheirSize) {
  const struct {
    const char* name;
    int width, height;
  } cases[] = {
      {"background.bmp", 780, 509}, {"close_normal.bmp", 26, 26}, {"close_pressed.bmp", 26, 26},
      {"close_hover.bmp", 26, 26},  {"min_normal.bmp", 26, 26},   {"min_pressed.bmp", 26, 26},
      {"min_hover.bmp", 26, 26},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> b = ReadFile(dir_ / c.name);
    const std::size_t stride = (static_cast<std::size_t>(c.width) * 3 + 3) & ~std::size_t{3};
    ASSERT_EQ(b.size(), 54 + stride * c.height);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(ReadU32(b, 2), b.size());
    EXPECT_EQ(ReadU32(b, 10), 54u);
    EXPECT_EQ(ReadU32(b, 14), 40u);
    EXPECT_EQ(ReadU32(b, 18), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(ReadU32(b, 22), static_cast<std::uint32_t>(c.height));  // positive: bottom-up
    EXPECT_EQ(ReadU16(b, 26), 1u);
    EXPECT_EQ(ReadU16(b, 28), 24u);
    EXPECT_EQ(ReadU32(b, 30), 0u);  // BI_RGB
    EXPECT_EQ(ReadU32(b, 34), stride * c.height);
  }
}

TEST_F(ArtSetTest, IconHoldsOne48PixelBgraImageWithMatchingMask) {
  const std::vector<std::uint8_t> b = ReadFile(dir_ / "quelvar.ico");
  const std::size_t colourBytes = 48 * 48 * 4, maskBytes = 48 * 8;
  ASSERT_EQ(b.size(), 6 + 16 + 40 + colourBytes + maskBytes);
  EXPECT_EQ(ReadU16(b, 0), 0u);
  EXPECT_EQ(ReadU16(b, 2), 1u);  // icon, not cursor
  EXPECT_EQ(ReadU16(b, 4), 1u);
  EXPECT_EQ(b[6], 48);
  EXPECT_EQ(b[7], 48);
  EXPECT_EQ(b[8], 0);  // no palette
  EXPECT_EQ(ReadU16(b, 10), 1u);
  EXPECT_EQ(ReadU16(b, 12), 32u);
  EXPECT_EQ(ReadU32(b, 14), b.size() - 22);
  EXPECT_EQ(ReadU32(b, 18), 22u);
  EXPECT_EQ(ReadU32(b, 22), 40u);
  EXPECT_EQ(ReadU32(b, 26), 48u);
  EXPECT_EQ(ReadU32(b, 30), 96u);  // colour image and mask together
  EXPECT_EQ(ReadU16(b, 36), 32u);
  EXPECT_EQ(ReadU32(b, 38), 0u);

  // The AND mask marks exactly the fully transparent pixels; the emblem is opaque in the middle and
  // leaves the corners clear.
  const std::size_t colour = 62, mask = colour + colourBytes;
  int transparent = 0;
  for (int row = 0; row < 48; ++row) {  // bottom-up in the file
    for (int x = 0; x < 48; ++x) {
      const std::uint8_t alpha = b[colour + (static_cast<std::size_t>(row) * 48 + x) * 4 + 3];
      const bool masked = (b[mask + static_cast<std::size_t>(row) * 8 + x / 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(masked, alpha == 0) << "x " << x << " row " << row;
      transparent += alpha == 0;
    }
  }
  EXPECT_GT(transparent, 0);
  auto alphaAt = [&](int x, int y) { return b[colour + (static_cast<std::size_t>(47 - y) * 48 + x) * 4 + 3]; };
  EXPECT_EQ(alphaAt(0, 0), 0);
  EXPECT_EQ(alphaAt(47, 47), 0);
  EXPECT_EQ(alphaAt(24, 24), 255);
}

TEST_F(ArtSetTest, BackgroundBandsSitOnTheirRows) {
  const Image bg = LoadBmp("background.bmp");
  ASSERT_EQ(bg.width, 780);
  // Title band: blue across its whole height, both away from the name and in the window-button corner.
  for (int y = 0; y < art::kTitleBandRows; ++y) {
    for (int x : {400, 600, 700, 720, 760, 778}) {
      ASSERT_TRUE(IsBlue(bg.at(x, y))) << "x " << x << " y " << y;
    }
  }
  for (int x = 1; x < 779; ++x) {
    for (int y = 77; y < 102; ++y) ASSERT_GT(Luma(bg.at(x, y)), 200) << "strip x " << x << " y " << y;
    for (int y : {102, 103}) ASSERT_LT(Luma(bg.at(x, y)), 80) << "rule x " << x << " y " << y;
    for (int y = 104; y < 120; ++y) ASSERT_GT(Luma(bg.at(x, y)), 190) << "panel x " << x << " y " << y;
  }
}

TEST_F(ArtSetTest, WindowButtonCornerHoldsNoArt) {
  const Image bg = LoadBmp("background.bmp");
  // Clean band under and around both buttons: only the vertical gradient, no text or emblem pixels.
  for (int y = 0; y < 40; ++y) {
    for (int x = 700; x < 779; ++x) ASSERT_EQ(bg.at(x, y), bg.at(700, y)) << "x " << x << " y " << y;
  }
}

TEST_F(ArtSetTest, LabelsAndFieldsSitOnLightGroundUnderTheHeadingPlate) {
  const Image bg = LoadBmp("background.bmp");
  // Black label text is drawn straight onto these rectangles (client pixels of the template).
  const int labelTops[] = {302, 346, 390};
  for (int top : labelTops) {
    for (int y = top; y < top + 13; ++y) {
      for (int x = 531; x < 597; ++x) ASSERT_GT(Luma(bg.at(x, y)), 200) << "x " << x << " y " << y;
    }
  }
  // The plate is in the button column between the Search button and the first field, not under a field.
  int plateRows = 0;
  for (int y = 182; y < 296; ++y) plateRows += IsBlue(bg.at(640, y));
  EXPECT_GE(plateRows, 20);
  for (int y = 296; y < 424; ++y) ASSERT_FALSE(IsBlue(bg.at(640, y))) << "y " << y;
}

TEST_F(ArtSetTest, PlainFacesBlendIntoTheBandAndLitFacesGlow) {
  const Image bg = LoadBmp("background.bmp");
  const struct {
    const char* plain;
    const char* pressed;
    const char* hover;
    int left;
  } buttons[] = {{"close_normal.bmp", "close_pressed.bmp", "close_hover.bmp", art::kCloseLeft},
                 {"min_normal.bmp", "min_pressed.bmp", "min_hover.bmp", art::kMinimiseLeft}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.plain);
    const Image plain = LoadBmp(b.plain);
    ASSERT_EQ(plain.width, 26);
    // Away from the symbol the plain face is the band itself, pixel for pixel.
    for (int i = 0; i < 26; ++i) {
      for (const auto& [x, y] : {std::pair{i, 0}, std::pair{i, 25}, std::pair{0, i}, std::pair{25, i}}) {
        ASSERT_EQ(plain.at(x, y), bg.at(b.left + x, art::kFaceTop + y)) << "x " << x << " y " << y;
      }
    }
    EXPECT_EQ(plain.at(13, 13), (Pixel{255, 255, 255, 255}));  // the white symbol crosses the centre
    EXPECT_EQ(ReadFile(dir_ / b.pressed), ReadFile(dir_ / b.hover));
    const Image lit = LoadBmp(b.hover);
    // The glow lights the tile around the symbol well above the band's colour.
    EXPECT_GT(Luma(lit.at(13, 6)), Luma(plain.at(13, 6)) + 60);
    EXPECT_GT(Luma(lit.at(13, 6)), Luma(lit.at(13, 23)));
  }
  EXPECT_NE(ReadFile(dir_ / "close_normal.bmp"), ReadFile(dir_ / "min_normal.bmp"));
  EXPECT_NE(ReadFile(dir_ / "close_hover.bmp"), ReadFile(dir_ / "min_hover.bmp"));
}

TEST_F(ArtSetTest, OutputIsByteForByteReproducible) {
  const std::vector<art::ArtFile> again = art::BuildArtSet();
  ASSERT_EQ(again.size(), 8u);
  for (const art::ArtFile& file : again) {
    SCOPED_TRACE(file.name);
    EXPECT_EQ(ReadFile(dir_ / file.name), file.bytes);
  }
  const std::filesystem::path second = dir_ / "second";
  std::string error;
  ASSERT_TRUE(art::WriteArtSet(second, error)) << error;
  for (const art::ArtFile& file : again) EXPECT_EQ(ReadFile(second / file.name), ReadFile(dir_ / file.name));
}

TEST(ArtSetFailure, UnwritableDirectoryIsReported) {
  const std::filesystem::path blocker = std::filesystem::path(::testing::TempDir()) / "artgen-blocker";
  std::filesystem::remove_all(blocker);
  { std::ofstream(blocker) << "a file, not a directory"; }
  std::string error;
  EXPECT_FALSE(art::WriteArtSet(blocker / "out", error));
  EXPECT_NE(error.find("artgen-blocker"), std::string::npos) << error;
  std::filesystem::remove_all(blocker);
}

}  // namespace
