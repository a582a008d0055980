#include "Driver.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "TempDir.h"
#include "base/Handle.h"

namespace velmora::e2e {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return FolderOf(std::wstring(path, n));
}

using velmora::testing::DeleteTree;
using velmora::testing::WriteBytes;

template <typename Pred>
HWND WaitFor(DWORD timeoutMs, Pred pred) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = pred()) return found;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(20);
  }
}

struct WindowSearch {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly) {
  WindowSearch search{pid, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<ControlSearch*>(lp);
  if (GetDlgCtrlID(hwnd) != s->id) return TRUE;
  s->found = hwnd;
  return FALSE;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The pixels of a rectangle of a bitmap drawn by `paint`, as 32-bit values.
template <typename Paint>
std::vector<COLORREF> Pixels(int width, int height, Paint paint) {
  WindowDc screen(nullptr);
  MemoryDc dc(CreateCompatibleDC(screen.get()));
  UniqueHandle<GdiObjectTraits<HBITMAP>> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  SelectedObject drawOn(dc.get(), bitmap.get());
  paint(dc.get());
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
  return pixels;
}

// Which standard icon an icon control of another process shows: its pixels on the
// screen are compared with each standard icon drawn on the same background (icon
// handles of another process cannot be read).
UINT IconKind(HWND iconControl) {
  RECT rc;
  GetWindowRect(iconControl, &rc);
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  if (width <= 0 || height <= 0) return 0;
  COLORREF background = GetPixel(WindowDc(nullptr).get(), rc.left, rc.top);
  auto shown = Pixels(width, height, [&](HDC dc) {
    BitBlt(dc, 0, 0, width, height, WindowDc(nullptr).get(), rc.left, rc.top, SRCCOPY);
  });
  const std::pair<const wchar_t*, UINT> kinds[] = {{IDI_HAND, MB_ICONSTOP},
                                                   {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                                                   {IDI_ASTERISK, MB_ICONINFORMATION},
                                                   {IDI_QUESTION, MB_ICONQUESTION}};
  for (const auto& [id, kind] : kinds) {
    auto drawn = Pixels(width, height, [&](HDC dc) {
      RECT all{0, 0, width, height};
      FillRect(dc, &all, BrushHandle(CreateSolidBrush(background)).get());
      DrawIconEx(dc, 0, 0, LoadIconW(nullptr, id), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    });
    if (drawn == shown) return kind;
  }
  return 0;
}

}  // namespace

std::wstring BuiltExePath() {
  return FolderOf(OwnFolder()) + L"\\Velmora.exe";
}

ProgramDir::ProgramDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++) + L"-" + std::to_wstring(GetTickCount());
  if (!path_.empty() && path_.back() == L'\\') path_.pop_back();
  CreateDirectoryW(path_.c_str(), nullptr);
  std::wstring build = FolderOf(BuiltExePath());
  for (const wchar_t* shipped : {L"Velmora.exe", L"vb6stkit.dll", L"Velmora.html"})
    CopyFileW((build + L"\\" + shipped).c_str(), File(shipped).c_str(), FALSE);
}

ProgramDir::~ProgramDir() {
  DeleteTree(path_);
}

void ProgramDir::Write(const std::wstring& name, const std::string& bytes) const {
  velmora::testing::WriteBytes(File(name), bytes);
}

std::optional<std::string> ProgramDir::Read(const std::wstring& name) const {
  return velmora::testing::ReadBytes(File(name));
}

bool ProgramDir::Exists(const std::wstring& name) const {
  return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Process::Process(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir) {
  std::wstring line = L"\"" + exe + L"\"";
  if (!args.empty()) line += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &info_))
    info_ = {};
}

Process::Process(const CommandLine& commandLine, const std::wstring& workDir) {
  std::wstring line = commandLine.text;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(commandLine.program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &info_))
    info_ = {};
}

Process::~Process() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  KernelHandle process(info_.hProcess), thread(info_.hThread);
}

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

HWND Process::WaitWindow(const wchar_t* className, const wchar_t* caption, DWORD timeoutMs, bool visibleOnly) const {
  return WaitFor(timeoutMs, [&]() -> HWND {
    for (HWND hwnd : TopLevelWindows(info_.dwProcessId, visibleOnly)) {
      if (className && ClassOf(hwnd) != className) continue;
      if (caption && Text(hwnd) != caption) continue;
      return hwnd;
    }
    return nullptr;
  });
}

std::vector<HWND> Process::Windows() const {
  return TopLevelWindows(info_.dwProcessId, true);
}

std::optional<MessageBoxSeen> WaitMessageBox(const Process& process, DWORD timeoutMs) {
  HWND box = process.WaitWindow(L"#32770", nullptr, timeoutMs);
  if (!box) return std::nullopt;
  // Let the box paint itself before its icon is read off the screen.
  UpdateWindow(box);
  Sleep(100);
  MessageBoxSeen seen;
  seen.hwnd = box;
  seen.title = Text(box);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static") continue;
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      seen.icon = IconKind(child);
    } else {
      std::wstring text = Text(child);
      if (!text.empty()) seen.text = text;
    }
  }
  return seen;
}

void CloseMessageBox(const MessageBoxSeen& box) {
  PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
}

HWND Control(HWND top, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Text(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(copied);
  return text;
}

void SetText(HWND control, const std::wstring& text) {
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Activate(HWND top) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    SetForegroundWindow(top);
    if (GetForegroundWindow() == top) return true;
    Sleep(20);
  }
  return false;
}

void PressKey(WORD vk, bool shift) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD code, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = code;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (shift) key(VK_SHIFT, false);
  key(vk, false);
  key(vk, true);
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusedControl(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool WaitFocus(HWND top, HWND expected, DWORD timeoutMs) {
  return WaitFor(timeoutMs, [&]() -> HWND { return FocusedControl(top) == expected ? top : nullptr; }) != nullptr;
}

void Click(HWND control) {
  PostMessageW(control, BM_CLICK, 0, 0);
}

void SelectComboEntry(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

RECT ClientRectOf(HWND top, HWND control) {
  RECT rc{};
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

int Dpi() {
  return GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
}

// --- Fonts, told from the pixels of the screen --------------------------------------

namespace {

// The pixels of `area` of a bitmap, cut to the box around the dark ones.
std::vector<std::string> Ink(const std::vector<COLORREF>& pixels, int width, RECT area) {
  auto dark = [&](int x, int y) {
    COLORREF c = pixels[static_cast<size_t>(y) * width + x];
    return GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114 < 100 * 1000;
  };
  int left = area.right, right = area.left, top = area.bottom, bottom = area.top;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (dark(x, y)) {
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
  std::vector<std::string> rows;
  for (int y = top; y < bottom; ++y) {
    std::string row;
    for (int x = left; x < right; ++x) row += dark(x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

RECT ClampTo(RECT area, int width, int height) {
  return RECT{std::max(0L, area.left), std::max(0L, area.top), std::min<LONG>(width, area.right),
              std::min<LONG>(height, area.bottom)};
}

}  // namespace

std::vector<std::string> InkOnScreen(HWND control, RECT area) {
  RECT rc;
  GetWindowRect(control, &rc);
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  auto shown = Pixels(width, height, [&](HDC dc) {
    BitBlt(dc, 0, 0, width, height, WindowDc(nullptr).get(), rc.left, rc.top, SRCCOPY);
  });
  return Ink(shown, width, ClampTo(area, width, height));
}

std::vector<std::string> InkOfText(HWND control, RECT area, const std::wstring& text, const FontSpec& font, UINT format,
                                   COLORREF colour) {
  RECT rc;
  GetWindowRect(control, &rc);
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  COLORREF background = GetPixel(WindowDc(nullptr).get(), rc.left + area.left, rc.top + area.top);
  auto drawn = Pixels(width, height, [&](HDC dc) {
    RECT all{0, 0, width, height};
    FillRect(dc, &all, BrushHandle(CreateSolidBrush(background)).get());
    FontHandle hfont(CreateFontW(-static_cast<int>(font.points * Dpi() / 72.0 + 0.5), 0, 0, 0,
                                 font.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, font.face));
    SelectedObject selected(dc, hfont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &all, format);
  });
  return Ink(drawn, width, ClampTo(area, width, height));
}

bool ShowsColour(HWND control, RECT area, COLORREF colour) {
  RECT rc;
  GetWindowRect(control, &rc);
  WindowDc screen(nullptr);
  bool found = false;
  for (int y = area.top; y < area.bottom && !found; ++y)
    for (int x = area.left; x < area.right && !found; ++x)
      found = GetPixel(screen.get(), rc.left + x, rc.top + y) == colour;
  return found;
}

std::optional<std::string> ShownPointer() {
  // XFixes hands out the cursor image; Python's ctypes reaches it without a compiler.
  static const char kScript[] = R"(/usr/bin/python3 - <<'EOF'
import ctypes, sys
x11 = ctypes.CDLL('libX11.so.6'); xf = ctypes.CDLL('libXfixes.so.3')
class Img(ctypes.Structure):
    _fields_ = [('x', ctypes.c_short), ('y', ctypes.c_short), ('width', ctypes.c_ushort), ('height', ctypes.c_ushort),
                ('xhot', ctypes.c_ushort), ('yhot', ctypes.c_ushort), ('serial', ctypes.c_ulong),
                ('pixels', ctypes.POINTER(ctypes.c_ulong)), ('atom', ctypes.c_ulong), ('name', ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
d = x11.XOpenDisplay(None)
if not d: sys.exit(3)
a, b = ctypes.c_int(4), ctypes.c_int(0)
xf.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
xf.XFixesQueryVersion(d, ctypes.byref(a), ctypes.byref(b))
xf.XFixesGetCursorImage.restype = ctypes.POINTER(Img)
xf.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
p = xf.XFixesGetCursorImage(d)
if not p: sys.exit(4)
i = p.contents
print(i.width, i.height, i.xhot, i.yhot)
for y in range(i.height):
    print(' '.join('%08x' % (i.pixels[y * i.width + x] & 0xffffffff) for x in range(i.width)))
EOF)";
  std::string output;
  auto status = RunLinuxShell(kScript, 15000, &output);
  if (!status) return std::nullopt;
  if (*status != 0) return "the pointer could not be read (" + std::to_string(*status) + "): " + output;
  return output;
}

std::string PointerOfResource(const std::wstring& file, int id) {
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "no module";
  auto cursor = static_cast<HCURSOR>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, 0));
  std::string text = "no cursor";
  ICONINFO info{};
  if (cursor && GetIconInfo(cursor, &info)) {
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    int width = mask.bmWidth, height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    auto bits = [&](HBITMAP bitmap, int rows) {
      std::vector<DWORD> pixels(static_cast<size_t>(width) * rows);
      BITMAPINFO bi{};
      bi.bmiHeader = {sizeof bi.bmiHeader, width, -rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      GetDIBits(WindowDc(nullptr).get(), bitmap, 0, static_cast<UINT>(rows), pixels.data(), &bi, DIB_RGB_COLORS);
      return pixels;
    };
    auto andMask = bits(info.hbmMask, mask.bmHeight);
    auto colour = info.hbmColor ? bits(info.hbmColor, height)
                                : std::vector<DWORD>(andMask.begin() + width * height, andMask.end());
    char line[64];
    snprintf(line, sizeof line, "%d %d %lu %lu\n", width, height, info.xHotspot, info.yHotspot);
    text = line;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        size_t at = static_cast<size_t>(y) * width + x;
        // Where the AND mask is clear the colour shows, opaque; elsewhere the screen does.
        DWORD argb = (andMask[at] & 0xFFFFFF) == 0 ? 0xFF000000 | (colour[at] & 0xFFFFFF) : 0;
        snprintf(line, sizeof line, x ? " %08lx" : "%08lx", static_cast<unsigned long>(argb));
        text += line;
      }
      text += "\n";
    }
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  if (cursor) DestroyCursor(cursor);
  FreeLibrary(module);
  return text;
}

bool SaveScreenshot(const std::wstring& bmpPath, HWND window) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) GetWindowRect(window, &area);
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  WindowDc screen(nullptr);
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  UniqueHandle<GdiObjectTraits<HBITMAP>> bitmap(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    SelectedObject drawOn(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
  }
  DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
  DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + imageSize;
  bi.bmiHeader.biSizeImage = imageSize;
  if (!bits) return false;
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  bytes.append(static_cast<const char*>(bits), imageSize);
  return WriteBytes(bmpPath, bytes);
}

// --- Folder-browse dialog and other owned windows -------------------------------------

HWND WaitFolderDialog(const Process& process, DWORD timeoutMs) {
  return WaitFor(timeoutMs, [&]() -> HWND {
    for (HWND window : process.Windows()) {
      if (ClassOf(window) != L"#32770") continue;
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"SysTreeView32") return window;
    }
    return nullptr;
  });
}

std::vector<std::wstring> StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == L"Static") texts.push_back(Text(child));
  return texts;
}

namespace {

struct DialogTextSearch {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialogWith(HWND top, LPARAM param) {
  auto* search = reinterpret_cast<DialogTextSearch*>(param);
  if (!IsWindowVisible(top) || ClassOf(top) != L"#32770") return TRUE;
  std::vector<std::wstring> texts = StaticTexts(top);
  texts.push_back(Text(top));
  for (const std::wstring& t : texts) {
    if (t.find(search->text) == std::wstring::npos) continue;
    search->found = top;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindChildWith(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<DialogTextSearch*>(param);
  if (Text(child) != search->text) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND WaitDialogWith(const std::wstring& text, DWORD timeoutMs) {
  DialogTextSearch search{text};
  Eventually([&] { return EnumWindows(FindDialogWith, reinterpret_cast<LPARAM>(&search)), search.found != nullptr; },
             timeoutMs);
  return search.found;
}

HWND ChildWithText(HWND top, const std::wstring& text) {
  DialogTextSearch search{text};
  EnumChildWindows(top, FindChildWith, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ChooseFolder(const Process& process, HWND dialog, const std::wstring& path) {
  // The dialog reads the path from its own process's memory.
  KernelHandle owned(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process.Id()));
  if (!owned) return false;
  HANDLE target = owned.get();
  size_t bytes = (path.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(target, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool ok = remote && WriteProcessMemory(target, remote, path.c_str(), bytes, nullptr);
  if (ok) {
    DWORD_PTR answer = 0;
    const UINT kSetSelection = WM_USER + 103;  // BFFM_SETSELECTIONW
    ok = SendMessageTimeoutW(dialog, kSetSelection, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                             &answer) != 0;
    if (ok) ok = PostMessageW(dialog, WM_COMMAND, IDOK, 0) != 0;
    WaitGone(dialog, 5000);
  }
  if (remote) VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  return ok;
}

void CancelDialog(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// --- Whole runs, and the Linux side of a Wine machine ----------------------------------

namespace {

// The largest working set the process has had so far, or 0 when the system does not
// tell (the counters are read while the process lives).
size_t PeakWorkingSet(HANDLE process) {
  struct Counters {
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage, QuotaPeakNonPagedPoolUsage,
        QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
  };
  using Query = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
  Counters counters{};
  counters.cb = sizeof counters;
  if (!process || !query || !query(process, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
}

std::string ReadWhole(const std::wstring& path) {
  std::string bytes;
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

}  // namespace

RunOutcome RunToEnd(Process& process, DWORD start, DWORD timeoutMs) {
  RunOutcome run;
  KernelHandle watched(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id()));
  while (GetTickCount() - start < timeoutMs) {
    size_t peak = PeakWorkingSet(watched.get());
    if (peak > run.peakBytes) run.peakBytes = peak;
    if (auto code = process.WaitExit(0)) {
      run.exitCode = code;
      break;
    }
    if (auto box = WaitMessageBox(process, 30)) {
      run.boxes.push_back(*box);
      CloseMessageBox(*box);
      for (int i = 0; i < 200 && IsWindow(box->hwnd); ++i) Sleep(10);
    }
  }
  run.milliseconds = GetTickCount() - start;
  return run;
}

std::optional<int> RunLinuxShell(const std::string& script, DWORD timeoutMs, std::string* output) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring base =
      std::wstring(temp) + L"velmora-sh-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  const std::wstring scriptFile = base + L".sh", statusFile = base + L".rc", outFile = base + L".out";
  const std::string unixScript = UnixPath(scriptFile), unixStatus = UnixPath(statusFile), unixOut = UnixPath(outFile);
  if (unixScript.empty() || unixStatus.empty() || unixOut.empty()) return std::nullopt;
  // The status appears at once and whole, after everything the script did.
  std::string body = "(\n" + script + "\n) >'" + unixOut + "' 2>&1 </dev/null\necho $? >'" + unixStatus +
                     ".part'\nmv '" + unixStatus + ".part' '" + unixStatus + "'\n";
  if (!WriteBytes(scriptFile, body)) return std::nullopt;

  // Wine starts a Linux program on its own and gives no handle back: the status file
  // tells when it has ended.
  std::wstring line = L"sh \"" + std::wstring(unixScript.begin(), unixScript.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::optional<int> status;
  if (CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    KernelHandle thread(pi.hThread), process(pi.hProcess);
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
      if (GetFileAttributesW(statusFile.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      try {
        status = std::stoi(ReadWhole(statusFile));
      } catch (...) {
        status = -1;
      }
      break;
    }
  }
  if (output) *output = ReadWhole(outFile);
  DeleteFileW(scriptFile.c_str());
  DeleteFileW(statusFile.c_str());
  DeleteFileW(outFile.c_str());
  return status;
}

}  // namespace velmora::e2e
