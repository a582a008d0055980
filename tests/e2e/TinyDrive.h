// A drive of a given size for the tests that need a full or read-only disk.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "Driver.h"

namespace velmora::e2e {

// A new drive letter for a tmpfs of a given size, mounted from the Linux side of Wine
// (needs the right to mount: root on Linux). Unmounted and removed when the object goes.
class TinyDrive {
 public:
  explicit TinyDrive(size_t bytes) {
    DWORD drives = GetLogicalDrives();
    for (wchar_t c = L'R'; c <= L'Y' && !letter_; ++c)
      if (!(drives & (1u << (c - L'A')))) letter_ = c;
    if (!letter_) {
      why_ = "no free drive letter";
      return;
    }
    mountPoint_ = "/tmp/velmora-tiny-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    link_ =
        "\"${WINEPREFIX:-$HOME/.wine}/dosdevices/" + std::string(1, static_cast<char>(letter_ - L'A' + 'a')) + ":\"";
    std::string out;
    auto status =
        RunLinuxShell("set -e\nmkdir -p " + mountPoint_ + "\nmount -t tmpfs -o size=" + std::to_string(bytes / 1024) +
                          "k,mode=0777 velmora-tiny " + mountPoint_ + "\nln -s " + mountPoint_ + " " + link_,
                      10000, &out);
    if (!status) {
      why_ = "no Linux shell under this system";
      return;
    }
    mounted_ = true;
    if (*status != 0) {
      why_ = "cannot mount a tmpfs here: " + out;
      return;
    }
    ULARGE_INTEGER total{};
    for (int i = 0; i < 250 && !GetDiskFreeSpaceExW(Root().c_str(), nullptr, &total, nullptr); ++i) Sleep(20);
    if (total.QuadPart == 0 || total.QuadPart > bytes + 65536) {
      why_ = "the new drive letter does not show the tmpfs";
      return;
    }
    ready_ = true;
  }
  ~TinyDrive() {
    if (mounted_) RunLinuxShell("rm -f " + link_ + "\numount -l " + mountPoint_ + "\nrmdir " + mountPoint_, 10000);
  }
  TinyDrive(const TinyDrive&) = delete;
  TinyDrive& operator=(const TinyDrive&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Why() const { return why_; }
  std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }

  // Turns the whole file system read-only: no one, root included, may change it.
  bool MakeReadOnly() const { return RunLinuxShell("mount -o remount,ro " + mountPoint_, 10000) == 0; }

  // Fills the drive with one file, to the last byte or leaving about `leave` bytes free;
  // its free bytes afterwards.
  uint64_t Fill(uint64_t leave = 0) const {
    HANDLE file = CreateFileW((Root() + L"filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string chunk(65536, 'f');
    for (DWORD size = 65536; size > 0; size /= 16) {
      DWORD written = 0;
      while (WriteFile(file, chunk.data(), size, &written, nullptr) && written == size) {
      }
    }
    LARGE_INTEGER size{}, end{};
    if (leave > 0 && GetFileSizeEx(file, &size)) {
      end.QuadPart = size.QuadPart > static_cast<LONGLONG>(leave) ? size.QuadPart - static_cast<LONGLONG>(leave) : 0;
      SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
      SetEndOfFile(file);
    }
    CloseHandle(file);
    ULARGE_INTEGER free{};
    GetDiskFreeSpaceExW(Root().c_str(), &free, nullptr, nullptr);
    return free.QuadPart;
  }

 private:
  wchar_t letter_ = 0;
  std::string mountPoint_, link_, why_;
  bool mounted_ = false, ready_ = false;
};

}  // namespace velmora::e2e
