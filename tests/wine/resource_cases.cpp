// The resources as built, read back from each built Vantrel.exe: dialog 9,
// icon group 102, the version record and the manifest.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>

#include "tests/wine/cases.h"
#include "tests/wine/window_probe.h"

namespace vantrel::wine {
namespace {

constexpr WORD kProgressDialog = 9;
constexpr WORD kProgressBar = 1003;
constexpr WORD kIconGroup = 102;

// Reads a resource's bytes front to back, as its template lays them out.
class ResourceReader {
 public:
  ResourceReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  std::uint32_t u8() { return take(1); }
  std::uint32_t u16() { return take(2); }
  std::uint32_t u32() { return take(4); }
  std::int32_t s16() { return static_cast<std::int16_t>(take(2)); }
  // A NUL-ended UTF-16 string of ASCII characters.
  std::string text() {
    std::string out;
    for (std::uint32_t c = u16(); ok_ && c != 0; c = u16()) out += static_cast<char>(c);
    return out;
  }
  // A string, or 0xFFFF and an ordinal (given as "#n").
  std::string nameOrOrdinal() {
    const std::uint32_t first = u16();
    if (first == 0xFFFF) return "#" + std::to_string(u16());
    if (first == 0) return "";
    at_ -= 2;
    return text();
  }
  void alignTo4() { at_ = (at_ + 3) & ~std::size_t{3}; }

 private:
  std::uint32_t take(std::size_t n) {
    if (at_ + n > size_) {
      ok_ = false;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < n; ++i) value |= std::uint32_t{data_[at_ + i]} << (8 * i);
    at_ += n;
    return value;
  }

  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

struct Resource {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

Resource findResource(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(module, name, type);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  return Resource{static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(module, found)};
}

void checkProgressDialog(HMODULE module, Check& check) {
  const Resource dialog = findResource(module, MAKEINTRESOURCEA(kProgressDialog), RT_DIALOG);
  if (!check.that(dialog.data != nullptr, "dialog 9 exists")) return;
  ResourceReader in(dialog.data, dialog.size);
  check.equal(in.u16(), 1u, "dialog 9 template version");
  check.equal(in.u16(), 0xFFFFu, "dialog 9 is an extended template");
  in.u32();  // help id
  check.equal(in.u32(), 0u, "dialog 9 extended style");
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS | DS_CENTER;
  check.equal(in.u32(), style, "dialog 9 style");
  check.equal(in.u16(), 1u, "dialog 9 control count");
  check.equal(in.s16(), 0, "dialog 9 x");
  check.equal(in.s16(), 0, "dialog 9 y");
  check.equal(in.s16(), 256, "dialog 9 width");
  check.equal(in.s16(), 36, "dialog 9 height");
  check.equal(in.nameOrOrdinal(), std::string(), "dialog 9 menu");
  check.equal(in.nameOrOrdinal(), std::string(), "dialog 9 class");
  check.equal(in.text(), std::string("Dialog"), "dialog 9 caption");
  check.equal(in.u16(), 8u, "dialog 9 font size");
  check.equal(in.u16(), 400u, "dialog 9 font weight");
  check.equal(in.u8(), 0u, "dialog 9 font italic");
  check.equal(in.u8(), 1u, "dialog 9 font character set");
  check.equal(in.text(), std::string("MS Shell Dlg"), "dialog 9 font");

  in.alignTo4();
  in.u32();  // help id
  check.equal(in.u32(), 0u, "progress bar extended style");
  check.equal(in.u32(), static_cast<std::uint32_t>(WS_CHILD | WS_VISIBLE | WS_BORDER), "progress bar style");
  check.equal(in.s16(), 6, "progress bar x");
  check.equal(in.s16(), 6, "progress bar y");
  check.equal(in.s16(), 243, "progress bar width");
  check.equal(in.s16(), 23, "progress bar height");
  check.equal(in.u32(), std::uint32_t{kProgressBar}, "progress bar id");
  check.equal(in.nameOrOrdinal(), std::string(PROGRESS_CLASSA), "progress bar class");
  in.nameOrOrdinal();  // its text
  in.u16();            // creation data size
  check.that(in.ok(), "dialog 9 template is complete");
}

void checkIconGroup(HMODULE module, Check& check) {
  const Resource group = findResource(module, MAKEINTRESOURCEA(kIconGroup), RT_GROUP_ICON);
  if (!check.that(group.data != nullptr, "icon group 102 exists")) return;
  ResourceReader in(group.data, group.size);
  in.u16();
  check.equal(in.u16(), 1u, "icon group type");
  const std::uint32_t count = in.u16();
  if (!check.equal(count, 3u, "icon group image count")) return;
  const int sizes[] = {32, 16, 48};
  for (const int size : sizes) {
    const std::string what = "icon " + std::to_string(size) + ": ";
    check.equal(in.u8(), static_cast<std::uint32_t>(size), what + "width");
    check.equal(in.u8(), static_cast<std::uint32_t>(size), what + "height");
    check.equal(in.u8(), 16u, what + "colours");
    in.u8();
    check.equal(in.u16(), 1u, what + "planes");
    check.equal(in.u16(), 4u, what + "bits per pixel");
    const std::uint32_t length = in.u32();
    const std::uint32_t id = in.u16();
    const Resource image = findResource(module, MAKEINTRESOURCEA(id), RT_ICON);
    if (!check.that(image.data != nullptr && image.size == length, what + "image present")) continue;
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data), static_cast<DWORD>(image.size),
                                          TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
    check.that(icon != nullptr, what + "Windows makes an icon of it");
    if (icon != nullptr) DestroyIcon(icon);
  }
}

std::string versionString(const std::vector<char>& record, const std::string& name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string query = "\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueA(record.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      value == nullptr) {
    return "<missing>";
  }
  return std::string(value, length > 0 ? std::strlen(value) : 0);
}

void checkVersionRecord(const std::string& exePath, Check& check) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(exePath.c_str(), &ignored);
  if (!check.that(size > 0, "version record exists")) return;
  std::vector<char> record(size);
  if (!check.that(GetFileVersionInfoA(exePath.c_str(), 0, size, record.data()) != 0, "version record reads")) {
    return;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (check.that(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
                 "fixed version info")) {
    check.equal(fixed->dwSignature, 0xFEEF04BDul, "version signature");
    check.equal(fixed->dwFileVersionMS, 0x00010000ul, "file version, high part");
    check.equal(fixed->dwFileVersionLS, 0ul, "file version, low part");
    check.equal(fixed->dwProductVersionMS, 0x00010000ul, "product version, high part");
    check.equal(fixed->dwProductVersionLS, 0ul, "product version, low part");
    check.equal(fixed->dwFileType, static_cast<DWORD>(VFT_APP), "file type");
  }
  WORD* translation = nullptr;
  if (check.that(VerQueryValueA(record.data(), "\\VarFileInfo\\Translation",
                                reinterpret_cast<void**>(&translation), &length) &&
                     length >= 4,
                 "translation")) {
    check.equal(translation[0], 0x0409, "language: US English");
    check.equal(translation[1], 1200, "code page");
  }
  check.equal(versionString(record, "FileDescription"), std::string("Vantrel"), "FileDescription");
  check.equal(versionString(record, "InternalName"), std::string("Vantrel"), "InternalName");
  check.equal(versionString(record, "ProductName"), std::string("Vantrel"), "ProductName");
  check.equal(versionString(record, "FileVersion"), std::string("1.0.0.0"), "FileVersion");
  check.equal(versionString(record, "Comments"),
              std::string("Patches QELM movie files with bad expansion references based on the data in fix.dat"),
              "Comments");
}

void checkManifest(HMODULE module, Check& check) {
  const Resource manifest = findResource(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  if (!check.that(manifest.data != nullptr, "manifest exists")) return;
  const std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
  check.that(text.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                 text.find("version=\"6.0.0.0\"") != std::string::npos,
             "manifest asks for common controls 6");
  check.that(text.find("level=\"asInvoker\"") != std::string::npos, "manifest runs as invoker");
  check.that(text.find(">UTF-8</activeCodePage>") != std::string::npos,
             "manifest declares UTF-8 as the active code page");
}

// A window of the driver's that draws the program's icon at each size, as
// Windows renders it, for the screenshot.
LRESULT CALLBACK iconSheetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_USERDATA));
  int x = 16;
  for (const int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(kIconGroup), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon != nullptr) {
      DrawIconEx(dc, x, 64 - size, icon, size, size, 0, nullptr, DI_NORMAL);
      DestroyIcon(icon);
    }
    x += size + 24;
  }
  EndPaint(window, &paint);
  return 0;
}

void showIcons(HMODULE module, Check& check) {
  for (const int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(kIconGroup), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    check.that(icon != nullptr, "icon 102 loads at " + std::to_string(size));
    if (icon != nullptr) DestroyIcon(icon);
  }
  WNDCLASSA sheetClass{};
  sheetClass.lpfnWndProc = iconSheetProcedure;
  sheetClass.hInstance = GetModuleHandleA(nullptr);
  sheetClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  sheetClass.lpszClassName = "VantrelIconSheet";
  RegisterClassA(&sheetClass);
  HWND window = CreateWindowExA(0, sheetClass.lpszClassName, "Icon 102", WS_OVERLAPPED | WS_CAPTION, 40, 40,
                                220, 110, nullptr, nullptr, sheetClass.hInstance, nullptr);
  if (window == nullptr) return;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(module));
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  screenshot("icons", check);
  DestroyWindow(window);
}

void resourcesReadBack(const DriverOptions& options, Check& check) {
  check.that(!options.resourceExePaths.empty(), "programs to read are given");
  for (const std::string& exePath : options.resourceExePaths) {
    std::cout << "  reading " << exePath << std::endl;
    HMODULE module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!check.that(module != nullptr, "load " + exePath + " as data")) continue;
    checkProgressDialog(module, check);
    checkIconGroup(module, check);
    checkManifest(module, check);
    if (&exePath == &options.resourceExePaths.front()) showIcons(module, check);
    FreeLibrary(module);
    checkVersionRecord(exePath, check);
  }
}

}  // namespace

std::vector<WineCase> resourceCases() { return {{"resources", resourcesReadBack}}; }

}  // namespace vantrel::wine
