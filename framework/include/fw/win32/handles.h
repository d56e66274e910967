// Move-only owners of Windows handles: each frees its handle exactly once. Header-only, so
// that the simulator's DLL and server, which link nothing of the framework, own their handles the
// same way.
#pragma once

#include <windows.h>

#include <utility>

namespace fw::win32 {

template <class H, class Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::invalid(); }
  H release() { return std::exchange(h_, Traits::invalid()); }
  void reset(H h = Traits::invalid()) {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::invalid();
};

struct WindowTraits {
  static HWND invalid() { return nullptr; }
  static void close(HWND h) { DestroyWindow(h); }
};
template <class T>
struct GdiTraits {
  static T invalid() { return nullptr; }
  static void close(T h) { DeleteObject(h); }
};
struct KernelTraits {
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct MenuTraits {
  static HMENU invalid() { return nullptr; }
  static void close(HMENU h) { DestroyMenu(h); }
};
struct IconTraits {
  static HICON invalid() { return nullptr; }
  static void close(HICON h) { DestroyIcon(h); }
};
// Memory from GlobalAlloc; handed to the clipboard with release(), which then owns it.
struct GlobalTraits {
  static HGLOBAL invalid() { return nullptr; }
  static void close(HGLOBAL h) { GlobalFree(h); }
};

struct RegistryKeyTraits {
  static HKEY invalid() { return nullptr; }
  static void close(HKEY h) { RegCloseKey(h); }
};

using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
template <class T>
using GdiObject = UniqueHandle<T, GdiTraits<T>>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;
using UniqueRegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;

// Creates a key, or opens it when it exists, for writing. On failure the owner is left empty.
inline LSTATUS createKeyForWriting(HKEY parent, const wchar_t* path, UniqueRegistryKey& key) {
  HKEY created = nullptr;
  const LSTATUS status = RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr);
  key.reset(status == ERROR_SUCCESS ? created : nullptr);
  return status;
}

// A window class registered for as long as the owner lives. A class of that name registered
// before (by an earlier owner that still lives) is taken as it is and left registered.
class RegisteredClass {
 public:
  // False from valid() when the system refused the class for another reason.
  explicit RegisteredClass(const WNDCLASSEXW& wc) : instance_(wc.hInstance), atom_(RegisterClassExW(&wc)) {
    if (!atom_ && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) shared_ = true;
  }
  ~RegisteredClass() {
    if (atom_) UnregisterClassW(MAKEINTATOM(atom_), instance_);
  }
  RegisteredClass(const RegisteredClass&) = delete;
  RegisteredClass& operator=(const RegisteredClass&) = delete;
  bool valid() const { return atom_ != 0 || shared_; }

 private:
  HINSTANCE instance_;
  ATOM atom_;
  bool shared_ = false;
};

// The clipboard opened for the scope; closed on every way out, so another program is never
// locked out by an early return or an error.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// Global memory locked for the scope. get() is null when the lock failed (memory that was
// discarded, or a handle that is not global memory): callers must check it.
template <class T>
class GlobalLocked {
 public:
  explicit GlobalLocked(HGLOBAL mem) : mem_(mem), p_(static_cast<T*>(mem ? GlobalLock(mem) : nullptr)) {}
  ~GlobalLocked() {
    if (p_) GlobalUnlock(mem_);
  }
  GlobalLocked(const GlobalLocked&) = delete;
  GlobalLocked& operator=(const GlobalLocked&) = delete;
  T* get() const { return p_; }

 private:
  HGLOBAL mem_;
  T* p_;
};

// A device context borrowed from a window for the scope.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() { ReleaseDC(hwnd_, dc_); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A window's paint cycle: BeginPaint on construction, EndPaint on leaving the scope, also when
// the painting throws (a missed EndPaint leaves the caret hidden and the area invalid).
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintDC() { EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a device context for the scope, then puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelect() { SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace fw::win32
