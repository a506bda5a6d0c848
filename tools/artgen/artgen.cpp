// Renders the skin's artwork from code: signed-distance shapes, a small stroke font, BMP and ICO encoders.
#include "tools/artgen/artgen.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <numbers>
#include <string_view>
#include <system_error>

namespace quelvar::artgen {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Vec {
  double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double Length(Vec a) { return std::sqrt(Dot(a, a)); }

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Smooth(double t) {
  t = Clamp01(t);
  return t * t * (3 - 2 * t);
}

// sRGB components in 0..1; all blending happens in sRGB, as the platform's own drawing does.
struct Colour {
  double r = 0, g = 0, b = 0;
};
constexpr Colour Hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}
Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Shift(Colour c, double levels) {
  const double d = levels / 255.0;
  return {c.r + d, c.g + d, c.b + d};
}

constexpr Colour kWhite = Hex(0xFFFFFF);

// Premultiplied RGBA working surface.
class Canvas {
 public:
  Canvas(int width, int height, bool opaque)
      : width_(width), height_(height), px_(static_cast<std::size_t>(width) * height) {
    if (opaque) {
      for (auto& p : px_) p.a = 1;
    }
  }
  int width() const { return width_; }
  int height() const { return height_; }

  void Set(int x, int y, Colour c) { px_[Index(x, y)] = {c.r, c.g, c.b, 1}; }
  void Blend(int x, int y, Colour c, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
    alpha = std::min(alpha, 1.0);
    Px& p = px_[Index(x, y)];
    p.r = c.r * alpha + p.r * (1 - alpha);
    p.g = c.g * alpha + p.g * (1 - alpha);
    p.b = c.b * alpha + p.b * (1 - alpha);
    p.a = alpha + p.a * (1 - alpha);
  }

  Image ToImage() const {
    Image out;
    out.width = width_;
    out.height = height_;
    out.pixels.resize(px_.size());
    for (std::size_t i = 0; i < px_.size(); ++i) {
      const Px& p = px_[i];
      const double a = Clamp01(p.a);
      auto channel = [a](double premul) {
        const double straight = a > 0 ? premul / a : 0;
        return static_cast<std::uint8_t>(std::lround(Clamp01(straight) * 255));
      };
      out.pixels[i] = {channel(p.r), channel(p.g), channel(p.b),
                       static_cast<std::uint8_t>(std::lround(a * 255))};
    }
    return out;
  }

 private:
  struct Px {
    double r = 0, g = 0, b = 0, a = 0;
  };
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  int width_, height_;
  std::vector<Px> px_;
};

struct Box {
  double x0, y0, x1, y1;
};

// Coverage of a pixel from the signed distance at its centre: a one-pixel box filter across the edge.
double Coverage(double signedDistance) { return Clamp01(0.5 - signedDistance); }

template <class Sdf, class Shade>
void Fill(Canvas& canvas, Box box, Sdf sdf, Shade shade, double opacity = 1.0) {
  const int x0 = std::max(0, static_cast<int>(std::floor(box.x0)) - 1);
  const int y0 = std::max(0, static_cast<int>(std::floor(box.y0)) - 1);
  const int x1 = std::min(canvas.width(), static_cast<int>(std::ceil(box.x1)) + 1);
  const int y1 = std::min(canvas.height(), static_cast<int>(std::ceil(box.y1)) + 1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const Vec p{x + 0.5, y + 0.5};
      const double cover = Coverage(sdf(p));
      if (cover > 0) canvas.Blend(x, y, shade(p), cover * opacity);
    }
  }
}

double SdCircle(Vec p, Vec c, double r) { return Length(p - c) - r; }

double SdRoundRect(Vec p, Box b, double radius) {
  const double hx = (b.x1 - b.x0) / 2 - radius, hy = (b.y1 - b.y0) / 2 - radius;
  const double qx = std::abs(p.x - (b.x0 + b.x1) / 2) - hx;
  const double qy = std::abs(p.y - (b.y0 + b.y1) / 2) - hy;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// A stroked open polyline: round joins, and flat or round ends, optionally clipped to a rectangle.
struct Stroke {
  std::vector<Vec> pts;
  bool flatStart = true;
  bool flatEnd = true;
  Box clip{-kInf, -kInf, kInf, kInf};
  bool dot = false;  // a single point drawn as a disc of dotScale times the half width
  double dotScale = 1.0;
};

double SdSegment(Vec p, Vec a, Vec b, double halfWidth, bool flatStart, bool flatEnd) {
  const Vec ab = b - a;
  const double len = Length(ab);
  if (len <= 0) return Length(p - a) - halfWidth;
  const Vec u = ab * (1 / len);
  const double t = Dot(p - a, u);
  const double perp = std::abs(Cross(u, p - a));
  const double across = perp - halfWidth;
  if (t < 0) {
    return flatStart ? std::hypot(-t, std::max(across, 0.0)) : std::hypot(t, perp) - halfWidth;
  }
  if (t > len) {
    return flatEnd ? std::hypot(t - len, std::max(across, 0.0)) : std::hypot(t - len, perp) - halfWidth;
  }
  if (across > 0) return across;
  double inside = across;
  if (flatStart) inside = std::max(inside, -t);
  if (flatEnd) inside = std::max(inside, t - len);
  return inside;
}

double SdStroke(Vec p, const Stroke& s, double halfWidth) {
  double d = kInf;
  if (s.dot) {
    d = Length(p - s.pts[0]) - halfWidth * s.dotScale;
  } else {
    const std::size_t n = s.pts.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
      d = std::min(d, SdSegment(p, s.pts[i], s.pts[i + 1], halfWidth, s.flatStart && i == 0,
                                s.flatEnd && i + 2 == n));
    }
  }
  return std::max({d, s.clip.x0 - p.x, p.x - s.clip.x1, s.clip.y0 - p.y, p.y - s.clip.y1});
}

Box StrokeBounds(const Stroke& s, double halfWidth) {
  const double pad = halfWidth * (s.dot ? s.dotScale : 1.0) + 1;
  Box b{kInf, kInf, -kInf, -kInf};
  for (Vec q : s.pts) {
    b = {std::min(b.x0, q.x - pad), std::min(b.y0, q.y - pad), std::max(b.x1, q.x + pad),
         std::max(b.y1, q.y + pad)};
  }
  return {std::max(b.x0, s.clip.x0 - 1), std::max(b.y0, s.clip.y0 - 1), std::min(b.x1, s.clip.x1 + 1),
          std::min(b.y1, s.clip.y1 + 1)};
}

// Points of an elliptical arc from a0 to a1 degrees (counter-clockwise when a1 > a0), y axis up.
std::vector<Vec> Arc(Vec c, double rx, double ry, double a0, double a1) {
  const int steps = std::max(4, static_cast<int>(std::ceil(std::abs(a1 - a0) / 5.0)));
  std::vector<Vec> pts;
  pts.reserve(steps + 1);
  for (int i = 0; i <= steps; ++i) {
    const double a = (a0 + (a1 - a0) * i / steps) * std::numbers::pi / 180.0;
    pts.push_back({c.x + rx * std::cos(a), c.y + ry * std::sin(a)});
  }
  return pts;
}

void Append(std::vector<Vec>& path, const std::vector<Vec>& more) {
  for (Vec p : more) {
    if (!path.empty() && Length(path.back() - p) < 1e-9) continue;
    path.push_back(p);
  }
}

// Extends the segment a..b by `before` units beyond a and `after` units beyond b.
Stroke Extended(Vec a, Vec b, double before, double after, Box clip) {
  const Vec ab = b - a;
  const Vec u = ab * (1 / Length(ab));
  Stroke s;
  s.pts = {a - u * before, b + u * after};
  s.clip = clip;
  return s;
}

// ---------------------------------------------------------------------------------------------------
// Stroke font. Units: baseline 0, x-height 520, cap height 700, ascender 740, descender -210; y up.
// Glyphs are centre lines; the stroke width is a parameter so one design gives the regular and bold cut.

constexpr double kXHeight = 520, kCapHeight = 700, kAscender = 740, kDescender = -210, kOvershoot = 10;

struct Glyph {
  double advance = 0;
  std::vector<Stroke> strokes;
};

Stroke Line(Vec a, Vec b) { return Stroke{{a, b}}; }
Stroke Path(std::vector<Vec> pts) { return Stroke{std::move(pts)}; }
Stroke Closed(std::vector<Vec> pts) {
  Stroke s{std::move(pts)};
  s.flatStart = s.flatEnd = false;
  return s;
}
Stroke Dot(Vec c, double scale) {
  Stroke s{{c}};
  s.dot = true;
  s.dotScale = scale;
  return s;
}

Glyph MakeGlyph(char ch, double s) {
  const double r = s / 2, X = kXHeight, C = kCapHeight, A = kAscender, D = kDescender, o = kOvershoot;
  const Box band{-kInf, 0, kInf, X};
  Glyph g;
  // A round bowl of outer width w whose left outer edge is at x0, sitting on the baseline.
  auto bowl = [&](double x0, double w, double h) {
    return Closed(Arc({x0 + w / 2, h / 2}, w / 2 - r, h / 2 + o - r, 0, 360));
  };
  switch (ch) {
    case ' ':
      g.advance = 240;
      break;
    case 'a':
    case 'd':
    case 'q': {
      const double sb = 40, w = 490;
      g.strokes.push_back(bowl(sb, w, X));
      const double xs = sb + w - r;
      g.strokes.push_back(ch == 'a' ? Line({xs, 0}, {xs, X})
                                    : ch == 'd' ? Line({xs, 0}, {xs, A}) : Line({xs, D}, {xs, X}));
      g.advance = sb + w + 45;
      break;
    }
    case 'b':
    case 'p': {
      const double sb = 55, w = 490;
      g.strokes.push_back(bowl(sb, w, X));
      const double xs = sb + r;
      g.strokes.push_back(ch == 'b' ? Line({xs, 0}, {xs, A}) : Line({xs, D}, {xs, X}));
      g.advance = sb + w + 40;
      break;
    }
    case 'c': {
      const double sb = 40, w = 470;
      g.strokes.push_back(Path(Arc({sb + w / 2, X / 2}, w / 2 - r, X / 2 + o - r, 45, 315)));
      g.advance = sb + w + 15;
      break;
    }
    case 'e': {
      const double sb = 40, w = 500, rx = w / 2 - r, cx = sb + w / 2, cy = X / 2;
      g.strokes.push_back(Line({cx - rx, cy}, {cx + rx, cy}));
      g.strokes.push_back(Path(Arc({cx, cy}, rx, X / 2 + o - r, 0, 318)));
      g.advance = sb + w + 35;
      break;
    }
    case 'f': {
      const double xs = 70 + r, rad = 125, top = A - r;
      std::vector<Vec> pts{{xs, 0}};
      Append(pts, Arc({xs + rad, top - rad}, rad, rad, 180, 60));
      g.strokes.push_back(Path(pts));
      g.strokes.push_back(Line({25, X - r}, {xs + r + 140, X - r}));
      g.advance = xs + r + 175;
      break;
    }
    case 'g': {
      const double sb = 40, w = 490, xs = sb + w - r;
      g.strokes.push_back(bowl(sb, w, X));
      const double rx = w / 2 - r - 10, ry = 140;
      std::vector<Vec> pts{{xs, X}};
      Append(pts, Arc({xs - rx, D + r + ry}, rx, ry, 0, -160));
      g.strokes.push_back(Path(pts));
      g.advance = sb + w + 45;
      break;
    }
    case 'h':
    case 'n':
    case 'm': {
      const double sb = 60, left = sb + r;
      const int arches = ch == 'm' ? 2 : 1;
      const double w = ch == 'm' ? 780 : 480;
      const double rx = (w - s) / (2 * arches), ry = rx * (ch == 'm' ? 1.15 : 1.05);
      const double cy = X + o - r - ry;
      g.strokes.push_back(Line({left, 0}, {left, ch == 'h' ? A : X}));
      for (int i = 0; i < arches; ++i) {
        const double x0 = left + 2 * rx * i;
        std::vector<Vec> pts = Arc({x0 + rx, cy}, rx, ry, 180, 0);
        pts.push_back({x0 + 2 * rx, 0});
        Stroke arch = Path(pts);
        arch.flatStart = false;
        g.strokes.push_back(arch);
      }
      g.advance = sb + w + sb;
      break;
    }
    case 'u': {
      const double sb = 60, w = 480, left = sb + r, rx = (w - s) / 2, ry = rx * 1.05;
      const double right = left + 2 * rx, cy = r - o + ry;
      std::vector<Vec> pts{{left, X}};
      Append(pts, Arc({left + rx, cy}, rx, ry, 180, 360));
      Stroke bowlStroke = Path(pts);
      bowlStroke.flatEnd = false;
      g.strokes.push_back(bowlStroke);
      g.strokes.push_back(Line({right, 0}, {right, X}));
      g.advance = sb + w + sb;
      break;
    }
    case 'i':
    case 'j':
    case 'l': {
      const double xs = 65 + r;
      g.strokes.push_back(ch == 'l' ? Line({xs, 0}, {xs, A}) : Line({xs, ch == 'j' ? D : 0}, {xs, X}));
      if (ch != 'l') g.strokes.push_back(Dot({xs, X + 110 + r * 1.2}, 1.2));
      g.advance = 2 * xs;
      break;
    }
    case 'k': {
      const double sb = 60, left = sb + r, right = sb + 430;
      g.strokes.push_back(Line({left, 0}, {left, A}));
      const Vec a{left + 10, X * 0.28}, b{right - 15, X};
      g.strokes.push_back(Extended(a, b, 0, 80, band));
      const Vec m = a + (b - a) * 0.38;
      g.strokes.push_back(Extended(m, {right, 0}, 0, 80, band));
      g.advance = right + 35;
      break;
    }
    case 'r': {
      const double sb = 60, left = sb + r, rx = 180, ry = 210;
      g.strokes.push_back(Line({left, 0}, {left, X}));
      Stroke shoulder = Path(Arc({left + rx, X + o - r - ry}, rx, ry, 180, 62));
      shoulder.flatStart = false;
      g.strokes.push_back(shoulder);
      g.advance = left + rx + rx * 0.47 + r + 25;
      break;
    }
    case 's':
    case 'S': {
      const double h = ch == 's' ? X : C, w = ch == 's' ? 420 : 540, sb = 40, cx = sb + w / 2;
      const double mid = h * 0.53;
      const double ryUp = (h + o - r - mid) / 2, ryLow = (mid - (r - o)) / 2;
      const double rxUp = w / 2 - r - 14, rxLow = w / 2 - r;
      std::vector<Vec> pts = Arc({cx + 4, mid + ryUp}, rxUp, ryUp, 28, 270);
      pts.back().x = cx;
      std::vector<Vec> lower = Arc({cx, mid - ryLow}, rxLow, ryLow, 90, -152);
      Append(pts, lower);
      g.strokes.push_back(Path(pts));
      g.advance = sb + w + 35;
      break;
    }
    case 't': {
      const double xs = 150;
      g.strokes.push_back(Line({xs, 0}, {xs, X + 165}));
      g.strokes.push_back(Line({xs - 125, X - r}, {xs + 145, X - r}));
      g.advance = xs + 175;
      break;
    }
    case 'v':
    case 'y': {
      const double sb = 25, w = 500, cx = sb + w / 2;
      const double topIn = r * 1.1;
      const Vec tl{sb + topIn, X}, tr{sb + w - topIn, X}, v{cx, r * 0.25};
      if (ch == 'v') {
        Stroke vee = Path({tl + (tl - v) * 0.2, v, tr + (tr - v) * 0.2});
        vee.clip = band;
        g.strokes.push_back(vee);
      } else {
        Stroke left = Extended(tl, v, 80, 0, {-kInf, -kInf, kInf, X});
        left.flatEnd = false;
        g.strokes.push_back(left);
        const double k = (D - X) / (v.y - X);
        g.strokes.push_back(Extended(tr, tr + (v - tr) * k, 80, 60, {-kInf, D, kInf, X}));
      }
      g.advance = sb + w + sb;
      break;
    }
    case 'w': {
      const double sb = 25, w = 760, topIn = r * 1.1, q = w / 4;
      const Vec p0{sb + topIn, X}, p1{sb + q, r * 0.25}, p2{sb + 2 * q, X - 10}, p3{sb + 3 * q, r * 0.25},
          p4{sb + w - topIn, X};
      Stroke wave = Path({p0 + (p0 - p1) * 0.2, p1, p2, p3, p4 + (p4 - p3) * 0.2});
      wave.clip = band;
      g.strokes.push_back(wave);
      g.advance = sb + w + sb;
      break;
    }
    case 'x': {
      const double sb = 35, w = 460, in = r * 1.1;
      g.strokes.push_back(Extended({sb + in, X}, {sb + w - in, 0}, 80, 80, band));
      g.strokes.push_back(Extended({sb + w - in, X}, {sb + in, 0}, 80, 80, band));
      g.advance = sb + w + sb;
      break;
    }
    case 'z': {
      const double x0 = 45, x1 = 445;
      g.strokes.push_back(Line({x0, X - r}, {x1, X - r}));
      g.strokes.push_back(Line({x0, r}, {x1, r}));
      g.strokes.push_back(Extended({x1 - r * 1.2, X - s}, {x0 + r * 1.2, s}, 100, 100, {x0, 0, x1, X}));
      g.advance = x1 + 40;
      break;
    }
    case 'o': {
      const double sb = 40, w = 510;
      g.strokes.push_back(bowl(sb, w, X));
      g.advance = sb + w + sb;
      break;
    }
    case 'D': {
      const double sb = 75, left = sb + r, w = 600, xb = sb + 250;
      g.strokes.push_back(Line({left, 0}, {left, C}));
      std::vector<Vec> pts{{left, C - r}, {xb, C - r}};
      Append(pts, Arc({xb, C / 2}, sb + w - r - xb, C / 2 - r, 90, -90));
      pts.push_back({left, r});
      g.strokes.push_back(Path(pts));
      g.advance = sb + w + 55;
      break;
    }
    case 'I': {
      const double xs = 75 + r;
      g.strokes.push_back(Line({xs, 0}, {xs, C}));
      g.advance = 2 * xs;
      break;
    }
    case 'M':
    case 'N': {
      const double sb = 75, w = ch == 'M' ? 720 : 580, left = sb + r, right = sb + w - r;
      const Box clip{sb, 0, sb + w, C};
      g.strokes.push_back(Line({left, 0}, {left, C}));
      g.strokes.push_back(Line({right, 0}, {right, C}));
      if (ch == 'M') {
        const Vec v{(left + right) / 2, r * 0.25};
        Stroke vee = Path({Vec{left, C} + (Vec{left, C} - v) * 0.2, v, Vec{right, C} + (Vec{right, C} - v) * 0.2});
        vee.clip = clip;
        g.strokes.push_back(vee);
      } else {
        g.strokes.push_back(Extended({left + r * 0.4, C}, {right - r * 0.4, 0}, 100, 100, clip));
      }
      g.advance = sb + w + sb;
      break;
    }
    case 'P': {
      const double sb = 75, left = sb + r, w = 520, xb = sb + 250, mid = C * 0.43;
      g.strokes.push_back(Line({left, 0}, {left, C}));
      const double ry = (C - r - mid) / 2;
      std::vector<Vec> pts{{left, C - r}, {xb, C - r}};
      Append(pts, Arc({xb, mid + ry}, sb + w - r - xb, ry, 90, -90));
      pts.push_back({left, mid});
      g.strokes.push_back(Path(pts));
      g.advance = sb + w + 40;
      break;
    }
    case 'Q': {
      const double sb = 45, w = 740, cx = sb + w / 2;
      g.strokes.push_back(bowl(sb, w, C));
      g.strokes.push_back(Extended({cx + 0.13 * w, C * 0.24}, {cx + 0.5 * w + 10, -80}, 0, 0,
                                   {-kInf, -110, kInf, kInf}));
      g.advance = sb + w + sb;
      break;
    }
    default:
      g.advance = 300;  // unknown characters leave a gap rather than failing the build
      break;
  }
  return g;
}

struct TextStyle {
  double xHeightPx;     // x-height in pixels; the unit scale follows from it
  double strokeUnits;   // stroke width in font units
  double trackingUnits; // extra space after each glyph
};

// Vertical font units to pixels above the baseline, piecewise linear so that baseline, x-height, cap
// height and ascender fall on whole pixels: their horizontal edges then stay crisp.
struct VerticalGrid {
  double scale, xPx, capPx, ascPx;
  explicit VerticalGrid(double xHeightPx)
      : scale(std::round(xHeightPx) / kXHeight),
        xPx(std::round(xHeightPx)),
        capPx(std::round(kCapHeight * scale)),
        ascPx(std::round(kAscender * scale)) {}
  double Map(double y) const {
    if (y <= kXHeight) return y * scale;
    if (y <= kCapHeight) return xPx + (y - kXHeight) * (capPx - xPx) / (kCapHeight - kXHeight);
    if (y <= kAscender) return capPx + (y - kCapHeight) * (ascPx - capPx) / (kAscender - kCapHeight);
    return ascPx + (y - kAscender) * scale;
  }
};

double TextWidth(std::string_view text, const TextStyle& style) {
  const double scale = std::round(style.xHeightPx) / kXHeight;
  double w = 0;
  for (char ch : text) w += MakeGlyph(ch, style.strokeUnits).advance + style.trackingUnits;
  return (w - style.trackingUnits) * scale;
}

// Draws text with its left edge at x and its baseline at the pixel row boundary `baseline`.
void DrawText(Canvas& canvas, std::string_view text, double x, double baseline, const TextStyle& style,
              Colour colour, double opacity = 1.0) {
  const VerticalGrid grid(style.xHeightPx);
  const double halfWidth = style.strokeUnits / 2 * grid.scale;
  const double descPx = -kDescender * grid.scale;
  const int top = static_cast<int>(std::floor(baseline - grid.ascPx - halfWidth * 2)) - 2;
  const int bottom = static_cast<int>(std::ceil(baseline + descPx + halfWidth * 2)) + 2;
  const int left = static_cast<int>(std::floor(x)) - 2;
  const int right = static_cast<int>(std::ceil(x + TextWidth(text, style) + halfWidth * 2)) + 2;
  const int w = right - left, h = bottom - top;
  std::vector<double> cover(static_cast<std::size_t>(w) * h, 0.0);

  auto toPx = [&](Vec u, double originX) { return Vec{originX + u.x * grid.scale, baseline - grid.Map(u.y)}; };
  double penX = x;
  for (char ch : text) {
    const Glyph glyph = MakeGlyph(ch, style.strokeUnits);
    std::vector<Stroke> strokes;
    for (const Stroke& s : glyph.strokes) {
      Stroke t = s;
      for (Vec& p : t.pts) p = toPx(p, penX);
      // The y axis flips, so the clip's lower unit bound becomes the lower pixel edge.
      const double cx0 = s.clip.x0 == -kInf ? -kInf : penX + s.clip.x0 * grid.scale;
      const double cx1 = s.clip.x1 == kInf ? kInf : penX + s.clip.x1 * grid.scale;
      const double cy0 = s.clip.y1 == kInf ? -kInf : baseline - grid.Map(s.clip.y1);
      const double cy1 = s.clip.y0 == -kInf ? kInf : baseline - grid.Map(s.clip.y0);
      t.clip = {cx0, cy0, cx1, cy1};
      strokes.push_back(std::move(t));
    }
    for (const Stroke& s : strokes) {
      const Box b = StrokeBounds(s, halfWidth);
      const int bx0 = std::max(left, static_cast<int>(std::floor(b.x0)));
      const int by0 = std::max(top, static_cast<int>(std::floor(b.y0)));
      const int bx1 = std::min(right, static_cast<int>(std::ceil(b.x1)));
      const int by1 = std::min(bottom, static_cast<int>(std::ceil(b.y1)));
      for (int py = by0; py < by1; ++py) {
        for (int px = bx0; px < bx1; ++px) {
          const double c = Coverage(SdStroke({px + 0.5, py + 0.5}, s, halfWidth));
          double& cell = cover[static_cast<std::size_t>(py - top) * w + (px - left)];
          cell = std::max(cell, c);
        }
      }
    }
    penX += (glyph.advance + style.trackingUnits) * grid.scale;
  }
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) {
      const double c = cover[static_cast<std::size_t>(py) * w + px];
      if (c > 0) canvas.Blend(left + px, top + py, colour, c * opacity);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Palette: one blue family for the band, plate and emblem, cool greys for the panel.

constexpr Colour kBandTop = Hex(0x2D67B2);
constexpr Colour kBandBottom = Hex(0x1D4F95);
constexpr Colour kBandEdge = Hex(0x173F78);
constexpr Colour kStripLight = Hex(0xF6F8FB);
constexpr Colour kStripShade = Hex(0xE4EAF2);
constexpr Colour kRuleUpper = Hex(0x2B3E58);
constexpr Colour kRuleLower = Hex(0x1E2D42);
constexpr Colour kPanelLight = Hex(0xEEF1F5);
constexpr Colour kPanelShade = Hex(0xE3E7ED);

std::uint32_t Hash(std::uint32_t x, std::uint32_t y) {
  std::uint32_t h = x * 0x27D4EB2Du ^ (y + 0x165667B1u) * 0x9E3779B1u;
  h ^= h >> 15;
  h *= 0x85EBCA77u;
  h ^= h >> 13;
  h *= 0xC2B2AE3Du;
  h ^= h >> 16;
  return h;
}

// The title band's colour at a window pixel; the plain button faces reuse it so they sit seamlessly.
Colour TitleBandAt(int x, int y) {
  if (y == kTitleBandRows - 1) return kBandEdge;
  const double t = static_cast<double>(y) / (kTitleBandRows - 2);
  Colour c = Mix(kBandTop, kBandBottom, Smooth(t) * 0.6 + t * 0.4);
  if (y == 0) c = Mix(c, kWhite, 0.10);
  // A soft light pool behind the emblem and name; it has faded out long before the window buttons.
  const double dx = (x - 120) / 260.0, dy = (y - 30) / 90.0;
  const double pool = std::max(0.0, 1 - (dx * dx + dy * dy));
  return Mix(c, kWhite, 0.07 * pool * pool);
}

void PaintTitleBand(Canvas& canvas, int originX, int originY) {
  for (int y = 0; y < canvas.height() && originY + y < kTitleBandRows; ++y) {
    for (int x = 0; x < canvas.width(); ++x) canvas.Set(x, y, TitleBandAt(originX + x, originY + y));
  }
}

// The product emblem: a lens in a rounded tile with two discovery waves, drawn into a square of `size`
// pixels whose top-left corner is at (ox, oy).
void PaintEmblem(Canvas& canvas, double ox, double oy, double size) {
  const double k = size / 48.0;
  auto at = [&](double x, double y) { return Vec{ox + x * k, oy + y * k}; };
  const Box tile{ox + 2 * k, oy + 2 * k, ox + 46 * k, oy + 46 * k};
  const double tileRadius = 9 * k;
  // Tile: a quiet vertical gradient with a one-pixel darker rim and a lighter top edge.
  Fill(canvas, tile, [&](Vec p) { return SdRoundRect(p, tile, tileRadius); },
       [](Vec) { return Hex(0x163C72); });
  const Box inner{tile.x0 + k, tile.y0 + k, tile.x1 - k, tile.y1 - k};
  Fill(canvas, inner, [&](Vec p) { return SdRoundRect(p, inner, tileRadius - k); },
       [&](Vec p) {
         const double t = (p.y - inner.y0) / (inner.y1 - inner.y0);
         return Mix(Hex(0x4A8EDC), Hex(0x2259A6), t);
       });
  const Box sheen{inner.x0, inner.y0, inner.x1, inner.y0 + 1.2 * k};
  Fill(canvas, inner, [&](Vec p) { return std::max(SdRoundRect(p, inner, tileRadius - k), p.y - sheen.y1); },
       [&](Vec) { return kWhite; }, 0.25);

  const Vec lens = at(21, 27);
  // Discovery waves to the upper right of the lens.
  auto wave = [&](double radius, double width, double opacity) {
    const double a0 = -72 * std::numbers::pi / 180, a1 = -18 * std::numbers::pi / 180;
    const Vec e0{lens.x + radius * std::cos(a0), lens.y + radius * std::sin(a0)};
    const Vec e1{lens.x + radius * std::cos(a1), lens.y + radius * std::sin(a1)};
    auto sdf = [&](Vec p) {
      const Vec d = p - lens;
      const double a = std::atan2(d.y, d.x);
      if (a >= a0 && a <= a1) return std::abs(Length(d) - radius) - width / 2;
      return std::min(Length(p - e0), Length(p - e1)) - width / 2;
    };
    Fill(canvas, {lens.x - 2, lens.y - radius - width, lens.x + radius + width, lens.y + 2}, sdf,
         [&](Vec) { return kWhite; }, opacity);
  };
  wave(17.5 * k, 2.6 * k, 0.95);
  wave(23.0 * k, 2.6 * k, 0.60);

  // Lens: white barrel ring, dark glass, a pale iris ring and one highlight.
  const double ringOuter = 12.5 * k, glass = 9.2 * k;
  Fill(canvas, {lens.x - ringOuter, lens.y - ringOuter, lens.x + ringOuter, lens.y + ringOuter},
       [&](Vec p) { return SdCircle(p, lens, ringOuter + 1.0 * k); }, [&](Vec) { return Hex(0x163C72); },
       0.35);
  Fill(canvas, {lens.x - ringOuter, lens.y - ringOuter, lens.x + ringOuter, lens.y + ringOuter},
       [&](Vec p) { return SdCircle(p, lens, ringOuter); },
       [&](Vec p) { return Mix(kWhite, Hex(0xD5E3F3), Clamp01((p.y - lens.y + ringOuter) / (2 * ringOuter))); });
  Fill(canvas, {lens.x - glass, lens.y - glass, lens.x + glass, lens.y + glass},
       [&](Vec p) { return SdCircle(p, lens, glass); },
       [&](Vec p) {
         const double d = Length(p - (lens + Vec{-2.5 * k, -2.5 * k})) / (glass * 1.4);
         return Mix(Hex(0x2E6DB8), Hex(0x0A1A30), Clamp01(d));
       });
  const double iris = 5.0 * k;
  Fill(canvas, {lens.x - iris - k, lens.y - iris - k, lens.x + iris + k, lens.y + iris + k},
       [&](Vec p) { return std::abs(SdCircle(p, lens, iris)) - 0.75 * k; }, [&](Vec) { return Hex(0x8FCBF3); },
       0.9);
  Fill(canvas, {lens.x - 3 * k, lens.y - 3 * k, lens.x + 3 * k, lens.y + 3 * k},
       [&](Vec p) { return SdCircle(p, lens, 2.2 * k); }, [&](Vec) { return Hex(0x06101E); });
  const Vec glint = lens + Vec{-3.6 * k, -3.6 * k};
  Fill(canvas, {glint.x - 3 * k, glint.y - 3 * k, glint.x + 3 * k, glint.y + 3 * k},
       [&](Vec p) { return SdCircle(p, glint, 1.7 * k); }, [&](Vec) { return kWhite; }, 0.85);
}

void PaintStrip(Canvas& canvas) {
  for (int y = kStripTop; y < kRuleTop; ++y) {
    const double t = static_cast<double>(y - kStripTop) / (kRuleTop - kStripTop - 1);
    const Colour c = y == kStripTop ? kWhite : Mix(kStripLight, kStripShade, t);
    for (int x = 0; x < canvas.width(); ++x) canvas.Set(x, y, c);
  }
  for (int x = 0; x < canvas.width(); ++x) {
    canvas.Set(x, kRuleTop, kRuleUpper);
    canvas.Set(x, kRuleTop + 1, kRuleLower);
  }
}

// Light panel with a fine, fixed texture: a faint diagonal weave over low-amplitude hashed grain.
void PaintPanel(Canvas& canvas) {
  const int rows = canvas.height() - kPanelTop;
  for (int y = kPanelTop; y < canvas.height(); ++y) {
    const double t = static_cast<double>(y - kPanelTop) / (rows - 1);
    const Colour base = Mix(kPanelLight, kPanelShade, t);
    for (int x = 0; x < canvas.width(); ++x) {
      const double grain = (Hash(x, y) & 0xFF) / 255.0 - 0.5;
      const int phase = (x + y) % 5;
      const double weave = phase == 0 ? -1.8 : phase == 1 ? 0.8 : 0.0;
      canvas.Set(x, y, Shift(base, weave + grain * 2.5));
    }
  }
  // Shade under the strip's rule, so the panel reads as lying beneath it.
  for (int i = 0; i < 4; ++i) {
    for (int x = 0; x < canvas.width(); ++x) canvas.Blend(x, kPanelTop + i, Hex(0x1E2D42), 0.10 * (4 - i) / 4);
  }
}

// Window layout in client pixels, from the dialog template at 1.5 x 13/8 pixels per dialog unit.
constexpr Box kButtonColumn{525, 122, 761, 484};
constexpr Box kDeviceList{15, 122, 507, 484};
constexpr int kFieldTops[3] = {296, 341, 385};

void PaintSettingsPlate(Canvas& canvas) {
  const Box card{kButtonColumn.x0, 258, kButtonColumn.x1, 417};
  const double radius = 4;
  const double headBottom = 287;
  // Soft shadow, then the card outline and body.
  for (int i = 3; i >= 1; --i) {
    const Box s{card.x0 - i + 1, card.y0 - i + 2, card.x1 + i - 1, card.y1 + i};
    Fill(canvas, s, [&](Vec p) { return SdRoundRect(p, s, radius + i); }, [](Vec) { return Hex(0x1E2D42); },
         0.035);
  }
  Fill(canvas, card, [&](Vec p) { return SdRoundRect(p, card, radius); }, [](Vec) { return Hex(0xB9C5D4); });
  const Box body{card.x0 + 1, card.y0 + 1, card.x1 - 1, card.y1 - 1};
  Fill(canvas, body, [&](Vec p) { return SdRoundRect(p, body, radius - 1); },
       [&](Vec p) { return Mix(Hex(0xFCFDFE), Hex(0xF4F7FA), (p.y - body.y0) / (body.y1 - body.y0)); });
  // Heading: the band's blue, with the name of the action in white.
  const Box head{card.x0, card.y0, card.x1, headBottom};
  Fill(canvas, head,
       [&](Vec p) { return std::max(SdRoundRect(p, card, radius), p.y - headBottom); },
       [&](Vec p) { return Mix(Hex(0x3370BA), Hex(0x245A9E), (p.y - head.y0) / (head.y1 - head.y0)); });
  for (int x = static_cast<int>(card.x0) + 1; x < static_cast<int>(card.x1) - 1; ++x) {
    canvas.Blend(x, static_cast<int>(card.y0) + 1, kWhite, 0.16);
    canvas.Set(x, static_cast<int>(headBottom), Hex(0x1B4785));
  }
  const TextStyle heading{8.0, 100, 12};
  DrawText(canvas, "Modify IP", card.x0 + 12, card.y0 + 20, heading, kWhite);
  // Hairlines between the three rows of fields, stopping short of the card's edges.
  for (int i = 0; i < 2; ++i) {
    const int y = (kFieldTops[i] + 24 + kFieldTops[i + 1]) / 2;
    for (int x = static_cast<int>(card.x0) + 8; x < static_cast<int>(card.x1) - 8; ++x) {
      canvas.Blend(x, y, Hex(0xDCE3EB), 1.0);
    }
  }
}

// A faint recess around the device list so the control sits in the panel rather than on it.
void PaintListWell(Canvas& canvas) {
  const Box well{kDeviceList.x0 - 1, kDeviceList.y0 - 1, kDeviceList.x1 + 1, kDeviceList.y1 + 1};
  for (int i = 3; i >= 1; --i) {
    const Box s{well.x0 - i, well.y0 - i + 1, well.x1 + i, well.y1 + i};
    Fill(canvas, s, [&](Vec p) { return SdRoundRect(p, s, i + 1.0); }, [](Vec) { return Hex(0x1E2D42); },
         0.04);
  }
  Fill(canvas, well, [&](Vec p) { return SdRoundRect(p, well, 1.0); }, [](Vec) { return Hex(0xB9C5D4); });
  const Box inside{well.x0 + 1, well.y0 + 1, well.x1 - 1, well.y1 - 1};
  Fill(canvas, inside, [&](Vec p) { return SdRoundRect(p, inside, 0.01); }, [](Vec) { return Hex(0xFAFBFC); });
}

void PaintWindowFrame(Canvas& canvas) {
  const int w = canvas.width(), h = canvas.height();
  for (int y = 0; y < h; ++y) {
    const Colour c = y < kTitleBandRows ? kBandEdge : Hex(0x7F8DA1);
    canvas.Set(0, y, c);
    canvas.Set(w - 1, y, c);
  }
  for (int x = 0; x < w; ++x) canvas.Set(x, h - 1, Hex(0x7F8DA1));
}

// Lit faces: a light-blue tile with a glow at its heart, on the band.
void PaintLitTile(Canvas& canvas) {
  const Box tile{1, 1, 25, 25};
  Fill(canvas, tile, [&](Vec p) { return SdRoundRect(p, tile, 4); },
       [&](Vec p) { return Mix(Hex(0x86BBF1), Hex(0x4A89D4), (p.y - tile.y0) / (tile.y1 - tile.y0)); });
  const Box rim{2, 2, 24, 24};
  Fill(canvas, tile, [&](Vec p) { return std::max(SdRoundRect(p, tile, 4), -SdRoundRect(p, rim, 3)); },
       [](Vec) { return Hex(0xCFE5FB); }, 0.55);
  const Vec centre{13, 13};
  for (int y = 2; y < 24; ++y) {
    for (int x = 2; x < 24; ++x) {
      const double d = Length(Vec{x + 0.5, y + 0.5} - centre) / 11.0;
      const double glow = std::max(0.0, 1 - d);
      canvas.Blend(x, y, Hex(0xEAF5FF), 0.55 * glow * glow);
    }
  }
}

void PaintSymbol(Canvas& canvas, FaceSymbol symbol, Colour colour, Vec offset, double opacity) {
  if (symbol == FaceSymbol::Close) {
    const double a = 8.6, b = 17.4;
    for (const auto& [p, q] : {std::pair{Vec{a, a}, Vec{b, b}}, std::pair{Vec{b, a}, Vec{a, b}}}) {
      const Vec s = p + offset, e = q + offset;
      Fill(canvas, {a - 2 + offset.x, a - 2 + offset.y, b + 2 + offset.x, b + 2 + offset.y},
           [&](Vec pt) { return SdSegment(pt, s, e, 1.0, true, true); }, [&](Vec) { return colour; }, opacity);
    }
  } else {
    const Box bar{8 + offset.x, 12 + offset.y, 18 + offset.x, 14 + offset.y};
    Fill(canvas, bar, [&](Vec p) { return SdRoundRect(p, bar, 0.01); }, [&](Vec) { return colour; }, opacity);
  }
}

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits, std::uint32_t imageBytes) {
  PutU32(out, 40);
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));
  PutU16(out, 1);
  PutU16(out, static_cast<std::uint32_t>(bits));
  PutU32(out, 0);  // BI_RGB
  PutU32(out, imageBytes);
  PutU32(out, 3780);  // 96 pixels per inch
  PutU32(out, 3780);
  PutU32(out, 0);
  PutU32(out, 0);
}

}  // namespace

Image RenderBackground() {
  Canvas canvas(kBackgroundWidth, kBackgroundHeight, true);
  PaintTitleBand(canvas, 0, 0);
  PaintEmblem(canvas, 16, 15, 46);
  DrawText(canvas, "Quelvar", 74, 45, TextStyle{19.0, 112, 14}, kWhite);
  DrawText(canvas, "Device search and IP setup", 75, 63, TextStyle{7.0, 92, 22}, Hex(0xC4D7EF));
  PaintStrip(canvas);
  PaintPanel(canvas);
  PaintListWell(canvas);
  PaintSettingsPlate(canvas);
  PaintWindowFrame(canvas);
  return canvas.ToImage();
}

Image RenderFace(FaceSymbol symbol, bool lit) {
  Canvas canvas(kFaceSize, kFaceSize, true);
  PaintTitleBand(canvas, symbol == FaceSymbol::Close ? kCloseLeft : kMinimiseLeft, kFaceTop);
  if (lit) {
    PaintLitTile(canvas);
    PaintSymbol(canvas, symbol, Hex(0x1D4F95), {0, 1}, 0.22);
  }
  PaintSymbol(canvas, symbol, kWhite, {0, 0}, 1.0);
  return canvas.ToImage();
}

Image RenderIcon() {
  Canvas canvas(kIconSize, kIconSize, false);
  PaintEmblem(canvas, 0, 0, kIconSize);
  return canvas.ToImage();
}

std::vector<std::uint8_t> EncodeBmp24(const Image& image) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 54 + imageBytes);
  PutU32(out, 0);
  PutU32(out, 54);
  PutInfoHeader(out, image.width, image.height, 24, imageBytes);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Pixel p = image.at(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> EncodeIco32(const Image& image) {
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(image.width) * image.height * 4;
  const std::uint32_t maskStride = ((static_cast<std::uint32_t>(image.width) + 31) / 32) * 4;
  const std::uint32_t maskBytes = maskStride * static_cast<std::uint32_t>(image.height);
  const std::uint32_t resourceBytes = 40 + colourBytes + maskBytes;
  std::vector<std::uint8_t> out;
  PutU16(out, 0);
  PutU16(out, 1);  // icon
  PutU16(out, 1);  // one image
  out.push_back(static_cast<std::uint8_t>(image.width));
  out.push_back(static_cast<std::uint8_t>(image.height));
  out.push_back(0);  // no palette
  out.push_back(0);
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, resourceBytes);
  PutU32(out, 6 + 16);
  // The header's height counts the colour image and the mask together.
  PutInfoHeader(out, image.width, image.height * 2, 32, colourBytes + maskBytes);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Pixel p = image.at(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
      out.push_back(p.a);
    }
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < image.width; ++x) {
      if (image.at(x, y).a == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<ArtFile> BuildArtSet() {
  std::vector<ArtFile> files;
  files.push_back({"background.bmp", EncodeBmp24(RenderBackground())});
  const std::vector<std::uint8_t> closePlain = EncodeBmp24(RenderFace(FaceSymbol::Close, false));
  const std::vector<std::uint8_t> closeLit = EncodeBmp24(RenderFace(FaceSymbol::Close, true));
  const std::vector<std::uint8_t> minPlain = EncodeBmp24(RenderFace(FaceSymbol::Minimise, false));
  const std::vector<std::uint8_t> minLit = EncodeBmp24(RenderFace(FaceSymbol::Minimise, true));
  files.push_back({"close_normal.bmp", closePlain});
  files.push_back({"close_pressed.bmp", closeLit});
  files.push_back({"close_hover.bmp", closeLit});
  files.push_back({"min_normal.bmp", minPlain});
  files.push_back({"min_pressed.bmp", minLit});
  files.push_back({"min_hover.bmp", minLit});
  files.push_back({"quelvar.ico", EncodeIco32(RenderIcon())});
  return files;
}

bool WriteArtSet(const std::filesystem::path& dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir.string() + ": " + ec.message();
    return false;
  }
  for (const ArtFile& file : BuildArtSet()) {
    const std::filesystem::path path = dir / file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out) {
      error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

}  // namespace quelvar::artgen
