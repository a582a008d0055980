#include "app/About.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Texts.h"

namespace velmora {

std::wstring VersionText(int major, int minor) {
  return std::to_wstring(major) + L"." + FormatTwoDigits(minor);
}

AboutInfo ProgramAbout() {
  AboutInfo info;
  info.product = texts::kProduct;
  info.major = VELMORA_VERSION_MAJOR;
  info.minor = VELMORA_VERSION_MINOR;
  info.author = texts::kAboutAuthor;
  info.contact = texts::kAboutContactAddress;
  info.homePage = texts::kAboutHomePageUrl;
  info.notice = texts::kAboutNotice;
  return info;
}

std::wstring AboutText(const AboutInfo& info) {
  const std::wstring crlf = texts::kCrLf;
  std::wstring text;
  text += crlf;
  text += texts::kAboutIndent + info.product + texts::kAboutVersionWord + VersionText(info.major, info.minor) + crlf;
  text += crlf;
  text += texts::kAboutCopyright + info.author + crlf;
  text += texts::kAboutContact + info.contact + crlf;
  text += texts::kAboutHomePage + crlf;
  text += crlf;
  text += std::wstring(6, L'\u3000') + info.notice + crlf;
  return text;
}

LinkPlace HomePageLinkPlace(const LinkPlace& designed, const AboutFontMeasure& font) {
  LinkPlace place;
  place.left = std::max(designed.left, font.homePagePrefixWidth);
  place.top = std::max(designed.top, 5 * font.height);
  place.height = std::max(designed.height, font.height);
  return place;
}

std::wstring AboutCaption(const std::wstring& product) {
  return product + texts::kVersionCaptionSuffix;
}

}  // namespace velmora
