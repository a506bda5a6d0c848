// Application object, its name, its message boxes and its read-only private profile.
#include "framework/application.h"

#include "framework/window.h"

namespace quelvar {
namespace {

Application* g_current = nullptr;

std::wstring ModuleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& entry, const std::wstring& file) {
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD length = ::GetPrivateProfileStringW(section.c_str(), entry.c_str(), L"", value.data(),
                                                    static_cast<DWORD>(value.size()), file.c_str());
    // A full buffer reports size - 1: read again with more room.
    if (length + 1 < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(value.size() * 2);
  }
}

}  // namespace

Application::Application() { g_current = this; }

Application::~Application() {
  if (g_current == this) g_current = nullptr;
}

Application* Application::Current() { return g_current; }

int Application::Run() {
  InitInstance();
  return 0;
}

std::wstring BaseNameWithoutExtension(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/:");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring_view::npos) name = name.substr(0, dot);
  return std::wstring(name);
}

const std::wstring& ApplicationName() {
  static const std::wstring name = BaseNameWithoutExtension(ModuleFileName());
  return name;
}

int AppMessageBox(std::wstring_view text, UINT type) {
  const Application* application = Application::Current();
  HWND owner = application != nullptr && application->MainWindow() != nullptr ? application->MainWindow()->hwnd()
                                                                               : ::GetActiveWindow();
  const std::wstring message(text);
  return ::MessageBoxW(owner, message.c_str(), ApplicationName().c_str(), type);
}

std::wstring ProfileFileName() { return ApplicationName() + L".INI"; }

std::vector<std::uint8_t> DecodeProfileBinary(std::wstring_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const unsigned low = static_cast<unsigned>(text[i] - L'A');
    const unsigned high = static_cast<unsigned>(text[i + 1] - L'A');
    bytes.push_back(static_cast<std::uint8_t>((high << 4) + low));
  }
  return bytes;
}

std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::wstring_view section, std::wstring_view entry) {
  const std::wstring text = ReadProfileString(std::wstring(section), std::wstring(entry), ProfileFileName());
  if (text.empty()) return std::nullopt;
  return DecodeProfileBinary(text);
}

}  // namespace quelvar
