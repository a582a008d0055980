// Owning wrappers for Win32 handles: closed exactly once, when the owner goes. A handle
// is valid when it is neither null nor INVALID_HANDLE_VALUE, whatever the API returned.
#pragma once
#include <windows.h>

#include <utility>

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

// Files, processes, threads, events.
using FileHandle = UniqueHandle<KernelHandleTraits>;
// FindFirstFile searches.
using FindHandle = UniqueHandle<FindHandleTraits>;
// Libraries loaded at run time.
using LibraryHandle = UniqueHandle<LibraryTraits>;

}  // namespace velmora
