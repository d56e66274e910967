// Owners for COM interface pointers and BSTRs (Windows only).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <string_view>
#include <utility>

namespace fw::win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& o) {
    ComPtr(o).swap(*this);
    return *this;
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    ComPtr(std::move(o)).swap(*this);
    return *this;
  }
  // Takes over a reference the caller already holds.
  static ComPtr adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held first.
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  void swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }

  template <class U>
  HRESULT queryInterface(const IID& iid, ComPtr<U>& out) const {
    return p_ ? p_->QueryInterface(iid, out.putVoid()) : E_POINTER;
  }

 private:
  T* p_ = nullptr;
};

// Reference counting for the small COM objects the program implements itself (sites, sinks):
// the object starts with one reference, its creator's, and deletes itself at zero.
template <class Derived>
class RefCounted {
 protected:
  ULONG addRef() { return ++refs_; }
  ULONG release() {
    const ULONG left = --refs_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text)
      : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }
  BSTR* put() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  // A null BSTR is the empty text.
  static std::u16string text(BSTR b) {
    return b ? std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b)) : std::u16string();
  }
  std::u16string text() const { return text(b_); }

 private:
  BSTR b_ = nullptr;
};

}  // namespace fw::win32
