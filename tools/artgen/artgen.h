// Artwork generator for the window skin: renders the background, button faces and icon as Windows files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quelvar::artgen {

// Geometry the art has to agree with: the dialog's client area at 1.5 x 13/8 pixels per dialog unit.
inline constexpr int kBackgroundWidth = 780;
inline constexpr int kBackgroundHeight = 509;
inline constexpr int kTitleBandRows = 77;   // rows 0..76
inline constexpr int kStripTop = 77;        // rows 77..101
inline constexpr int kRuleTop = 102;        // rows 102..103
inline constexpr int kPanelTop = 104;
inline constexpr int kFaceSize = 26;
inline constexpr int kFaceTop = 5;
inline constexpr int kCloseLeft = 749;
inline constexpr int kMinimiseLeft = 720;
inline constexpr int kIconSize = 48;

// Straight (not premultiplied) 8-bit colour; images are stored top row first.
struct Pixel {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Pixel&) const = default;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

enum class FaceSymbol { Close, Minimise };

Image RenderBackground();
// A plain face carries the title band behind it; a lit face is the glowing tile used for pressed and hover.
Image RenderFace(FaceSymbol symbol, bool lit);
Image RenderIcon();

// 24-bit BI_RGB, bottom-up, rows padded to four bytes.
std::vector<std::uint8_t> EncodeBmp24(const Image& image);
// One 32-bit BGRA image with its AND mask, as an .ico file.
std::vector<std::uint8_t> EncodeIco32(const Image& image);

struct ArtFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// Every file of the skin, in a fixed order.
std::vector<ArtFile> BuildArtSet();
// Writes the set into dir (created if missing); false with a message in error on failure.
bool WriteArtSet(const std::filesystem::path& dir, std::string& error);

}  // namespace quelvar::artgen
