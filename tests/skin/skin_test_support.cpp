// Pixel surfaces, test faces, the GDI object count and the recording parent window of the skin tests.
#include "skin_test_support.h"

#include <winternl.h>

#include <cstring>
#include <utility>

namespace quelvar::skin_test {
namespace {

HBITMAP MakeTopDownDib(int width, int height, std::uint32_t** bits) {
  const BITMAPINFO info = TopDown32BitInfo(width, height);
  void* memory = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *bits = static_cast<std::uint32_t*>(memory);
  return bitmap;
}

// A 32-bit pixel holds blue in its low byte; a COLORREF holds red there.
std::uint32_t PixelOf(COLORREF color) {
  return (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
         GetBValue(color);
}

COLORREF ColorOf(std::uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

constexpr wchar_t kParentClass[] = L"QuelvarSkinTestParent";
constexpr wchar_t kStageClass[] = L"QuelvarSkinTestStage";

void RegisterClasses() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kParentClass;
    const bool parent = ::RegisterClassW(&windowClass) != 0;
    windowClass.lpszClassName = kStageClass;
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    return parent && ::RegisterClassW(&windowClass) != 0;
  }();
  (void)registered;
}

HWND g_stage = nullptr;

// Wine keeps the process's GDI handles in a table of 24-byte entries (the layout of the 64-bit Windows
// table), found through the process environment block; an entry is in use when its type byte is not zero.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr std::size_t kGdiHandleTableOffset = 0xF8;  // in the 64-bit process environment block
constexpr std::size_t kGdiHandleCount = 0x10000;

long CountGdiHandleTable() {
  PROCESS_BASIC_INFORMATION process{};
  if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process,
                                  nullptr) != 0) {
    return -1;
  }
  const auto* environment = reinterpret_cast<const std::uint8_t*>(process.PebBaseAddress);
  const GdiHandleEntry* table = nullptr;
  std::memcpy(&table, environment + kGdiHandleTableOffset, sizeof table);
  if (table == nullptr) return -1;
  long used = 0;
  for (std::size_t index = 0; index < kGdiHandleCount; ++index) used += table[index].type != 0 ? 1 : 0;
  return used;
}

}  // namespace

BITMAPINFO TopDown32BitInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

Surface::Surface(int width, int height, COLORREF fill)
    : width_(width),
      height_(height),
      dc_(::CreateCompatibleDC(nullptr)),
      bitmap_(MakeTopDownDib(width, height, &bits_)),
      selected_(dc_.get(), bitmap_.get()) {
  Fill(fill);
}

void Surface::Fill(COLORREF color) {
  ::GdiFlush();
  const std::uint32_t pixel = PixelOf(color);
  for (int index = 0; index < width_ * height_; ++index) bits_[index] = pixel;
}

COLORREF Surface::At(int x, int y) const {
  ::GdiFlush();
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  return ColorOf(bits_[y * width_ + x] & 0xFFFFFF);
}

RECT Surface::BoundsOf(COLORREF color) const {
  RECT bounds{width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (At(x, y) != color) continue;
      bounds.left = std::min<LONG>(bounds.left, x);
      bounds.top = std::min<LONG>(bounds.top, y);
      bounds.right = std::max<LONG>(bounds.right, x + 1);
      bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
    }
  }
  if (bounds.right == 0) return RECT{};
  return bounds;
}

int Surface::Count(COLORREF color) const {
  int count = 0;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) count += At(x, y) == color ? 1 : 0;
  }
  return count;
}

HBITMAP MakeFace(int width, int height, COLORREF color, COLORREF marker) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                    PixelOf(color));
  pixels[0] = PixelOf(marker);
  return ::CreateBitmap(width, height, 1, 32, pixels.data());
}

long GdiObjectCount() {
  ::SetLastError(0);
  const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted != 0 || ::GetLastError() == 0) return static_cast<long>(counted);
  return CountGdiHandleTable();
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const ULONGLONG end = ::GetTickCount64() + milliseconds;
  for (;;) {
    PumpMessages();
    if (done()) return true;
    if (::GetTickCount64() >= end) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

HWND Stage() {
  if (g_stage != nullptr) return g_stage;
  RegisterClasses();
  g_stage = ::CreateWindowExW(WS_EX_TOOLWINDOW, kStageClass, L"skin tests", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 800, 600,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(g_stage, SW_SHOW);
  ::SetForegroundWindow(g_stage);
  ::UpdateWindow(g_stage);
  PumpMessages();
  return g_stage;
}

void DestroyStage() {
  if (g_stage != nullptr) ::DestroyWindow(std::exchange(g_stage, nullptr));
  PumpMessages();
}

std::unique_ptr<TestParent> TestParent::Create(int left, int top, int width, int height, Pattern pattern) {
  const HWND stage = Stage();
  if (stage == nullptr) return nullptr;
  std::unique_ptr<TestParent> parent(new TestParent(std::move(pattern)));
  const HWND window = ::CreateWindowExW(0, kParentClass, L"skin test", WS_CHILD | WS_VISIBLE, left, top, width,
                                        height, stage, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  if (!parent->SubclassWindow(window)) {
    ::DestroyWindow(window);
    return nullptr;
  }
  ::UpdateWindow(window);
  PumpMessages();
  return parent;
}

TestParent::~TestParent() {
  if (hwnd() != nullptr) ::DestroyWindow(hwnd());
  PumpMessages();
}

HWND TestParent::AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                          int height, int id) const {
  return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, hwnd(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

Handled TestParent::OnCommand(UINT id, UINT code, HWND) {
  commands.push_back(Command{id, code, ::GetFocus()});
  return 0;
}

Handled TestParent::OnPaint() {
  PaintDC paint(hwnd());
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  if (!pattern_) {
    ::FillRect(paint.get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    return 0;
  }
  std::uint32_t* bits = nullptr;
  const ScopedBitmap picture(MakeTopDownDib(client.right, client.bottom, &bits));
  const ScopedMemoryDC memory(::CreateCompatibleDC(paint.get()));
  const SelectedObject selected(memory.get(), picture.get());
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) bits[y * client.right + x] = PixelOf(pattern_(x, y));
  }
  ::BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  return 0;
}

Handled TestParent::OnEraseBackground(HDC) { return 1; }

Handled TestParent::OnCtlColor(HDC dc, HWND, UINT message) {
  if (message != WM_CTLCOLORSTATIC) return kNotHandled;
  ++ownCtlColorRequests;
  if (!transparentStatics) return kNotHandled;
  ::SetTextColor(dc, staticTextColor);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

std::unique_ptr<Surface> CaptureClient(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  auto surface = std::make_unique<Surface>(client.right, client.bottom, RGB(0, 0, 0));
  const WindowDC screen(window);
  ::BitBlt(surface->dc(), 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
  return surface;
}

}  // namespace quelvar::skin_test
