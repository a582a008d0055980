// Owning wrappers for Win32 handles: closed exactly once, when the owner goes. A handle
// is valid when it is neither null nor INVALID_HANDLE_VALUE, whatever the API returned.
// Beside them, the owner of a COM interface reference, and scope guards for what is
// borrowed and given back: a window's device context, a paint, an object selected into
// a device context, COM on this thread.
#pragma once
#include <windows.h>
// clang-format off
#include <objbase.h>
// clang-format on

#include <utility>

#include "base/SystemLibrary.h"

namespace velmora {

template <typename Traits>
class UniqueHandle {
 public:
  using Raw = typename Traits::Raw;
  UniqueHandle() = default;
  explicit UniqueHandle(Raw raw) : raw_(raw) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : raw_(std::exchange(other.raw_, Raw{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      raw_ = std::exchange(other.raw_, Raw{});
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  explicit operator bool() const { return Traits::Valid(raw_); }
  Raw get() const { return raw_; }
  void reset(Raw raw = Raw{}) {
    if (Traits::Valid(raw_)) Traits::Close(raw_);
    raw_ = raw;
  }

 private:
  Raw raw_{};
};

struct KernelHandleTraits {
  using Raw = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

struct FindHandleTraits {
  using Raw = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

struct LibraryTraits {
  using Raw = HMODULE;
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};

template <typename Object>
struct GdiObjectTraits {
  using Raw = Object;
  static bool Valid(Object h) { return h != nullptr; }
  static void Close(Object h) { DeleteObject(h); }
};

struct MemoryDcTraits {
  using Raw = HDC;
  static bool Valid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};

// Kernel objects closed with CloseHandle: files, processes, threads, events.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// FindFirstFile searches.
using FindHandle = UniqueHandle<FindHandleTraits>;
// Libraries loaded at run time.
using LibraryHandle = UniqueHandle<LibraryTraits>;
// GDI objects the program creates (CreateFontIndirect, CreateSolidBrush).
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
// Device contexts made with CreateCompatibleDC.
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's device context (GetDC; the screen's for a null window), released with it.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// One WM_PAINT's BeginPaint ... EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context for the guard's scope; the one it replaced
// is selected back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// One reference to a COM interface, released when the owner goes. Out() and OutVoid()
// give the place a creating or querying call writes the new reference to.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  Interface* operator->() const { return p_; }
  Interface** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  Interface* p_ = nullptr;
};

// COM (single-threaded apartment) on this thread for the guard's scope. A thread that
// already uses COM in another mode keeps it, and COM is usable there all the same. The
// COM library is loaded on first use (SystemFunction).
class ComScope {
 public:
  ComScope() {
    static const auto initialize = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    hr_ = initialize ? initialize(nullptr, COINIT_APARTMENTTHREADED) : E_FAIL;
  }
  ~ComScope() {
    static const auto uninitialize = SystemFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (SUCCEEDED(hr_) && uninitialize) uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace velmora
