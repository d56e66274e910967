// The clipboard: the program's text goes out and comes in as Unicode, converted from and to
// Windows-1254 here, so another program reads Turkish letters right whatever its code page.
#include <windows.h>

#include <cstring>
#include <optional>

#include "fw/platform.h"
#include "fw/win32/handles.h"
#include "internal.h"

namespace fw::clipboard {

using win32::GlobalLocked;
using win32::OpenClipboardScope;

namespace {

// Another program may hold the clipboard for a moment: try a few times.
bool openClipboard(std::optional<OpenClipboardScope>& scope) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (scope.emplace(win32::messageWindow())) return true;
    scope.reset();
    Sleep(10);
  }
  return false;
}

// The text as clipboard memory; null when the memory could not be had.
win32::UniqueGlobal unicodeMemory(const std::wstring& text) {
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  win32::UniqueGlobal mem(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!mem) return mem;
  GlobalLocked<wchar_t> locked(mem.get());
  if (!locked.get()) return {};
  std::memcpy(locked.get(), text.c_str(), bytes);
  return mem;
}

}  // namespace

bool setText(const std::string& text) {
  win32::UniqueGlobal mem = unicodeMemory(win32::wide(text));
  if (!mem) return false;
  std::optional<OpenClipboardScope> open;
  if (!openClipboard(open) || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_UNICODETEXT, mem.get())) return false;
  mem.release();  // the clipboard owns it now
  return true;
}

std::string text() {
  std::optional<OpenClipboardScope> open;
  if (!openClipboard(open)) return {};
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  GlobalLocked<const wchar_t> locked(data);
  if (!locked.get()) return {};
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  return win32::narrow(std::wstring_view(locked.get(), wcsnlen(locked.get(), units)));
}

bool hasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT); }

}  // namespace fw::clipboard
