#include "base/Codepage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace velmora {

#ifdef _WIN32

namespace {
constexpr UINT kCodePage = 932;
}

// Characters code page 932 lacks become "?", never a look-alike ("é" is not "e"): a
// path written into a file must not name another file.
std::string ToCp932(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              "?", nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n, "?",
                      nullptr);
  return out;
}

std::wstring FromCp932(std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

#else

namespace {

// Converts with iconv, replacing what cannot be converted and going on after it.
template <typename In, typename Out>
Out Convert(const char* to, const char* from, const In& in, typename Out::value_type replacement) {
  Out out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* src = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
  size_t srcLeft = in.size() * sizeof(typename In::value_type);
  char buf[256];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(reinterpret_cast<typename Out::value_type*>(buf),
               static_cast<size_t>(dst - buf) / sizeof(typename Out::value_type));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += replacement;
      size_t step = sizeof(typename In::value_type);
      src += step;
      srcLeft = srcLeft > step ? srcLeft - step : 0;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ToCp932(std::wstring_view text) {
  return Convert<std::wstring_view, std::string>("CP932", "WCHAR_T", text, '?');
}

std::wstring FromCp932(std::string_view bytes) {
  return Convert<std::string_view, std::wstring>("WCHAR_T", "CP932", bytes, L'\uFFFD');
}

#endif

}  // namespace velmora
