// The About window's content: the version text, the text block it shows, its caption,
// and the colour states of its homepage link.
#pragma once
#include <cstdint>
#include <string>

#include "base/Text.h"  // FormatTwoDigits, the version's minor part

namespace velmora {

// The version as the About window shows it: 3 and 1 give "3.01", 3 and 12 "3.12".
std::wstring VersionText(int major, int minor);

struct AboutInfo {
  std::wstring product;
  int major = 0;
  int minor = 0;
  std::wstring author;
  std::wstring contact;   // e-mail address
  std::wstring homePage;  // shown by the link, not by the text block
  std::wstring notice;    // the closing line
};

// This program's own values.
AboutInfo ProgramAbout();

// The text block, line by line, each line ended by CR LF:
//   (empty)
//   "　　" product "  　バージョン　" version
//   (empty)
//   "　　著作権：" author
//   "　　連絡先：" contact
//   "　　ＨＰ　："            (the link shows the homepage right after it)
//   (empty)
//   six ideographic spaces, then the notice
std::wstring AboutText(const AboutInfo& info);

// The window caption: the product name followed by " バージョン情報".
std::wstring AboutCaption(const std::wstring& product);

// A rectangle's place and height, in pixels.
struct LinkPlace {
  int left = 0;
  int top = 0;
  int height = 0;
};

// What the window's font measures, as the system reports it (its text metrics), and
// the width of "　　ＨＰ　：" drawn in it.
struct AboutFontMeasure {
  int height = 0;           // tmHeight
  int externalLeading = 0;  // tmExternalLeading
  int homePagePrefixWidth = 0;
};

// Where the homepage link goes: at its designed place, or further right and lower where
// the font needs more room, so that it follows "　　ＨＰ　：" on the sixth line of the
// text block. A static control advances its lines by the font's height alone (the
// external leading does not count), so the sixth line starts five heights down.
LinkPlace HomePageLinkPlace(const LinkPlace& designed, const AboutFontMeasure& font);

// Link colours, written as the window system writes them (0xBBGGRR).
inline constexpr uint32_t kLinkBlue = 0xFF0000;
inline constexpr uint32_t kLinkCyan = 0xFFFF00;

// The homepage link's colour: cyan while the pointer is over the link, blue at rest,
// after the pointer moved onto the rest of the text, and after a click. Leaving the
// window straight from the link changes nothing. Each event tells whether the colour
// changed, so that the link is repainted only then.
class LinkColour {
 public:
  uint32_t Colour() const { return colour_; }
  bool OnLinkMouseMove() { return Set(kLinkCyan); }
  bool OnTextMouseMove() { return Set(kLinkBlue); }
  bool OnLinkClick() { return Set(kLinkBlue); }

 private:
  bool Set(uint32_t colour) {
    bool changed = colour != colour_;
    colour_ = colour;
    return changed;
  }
  uint32_t colour_ = kLinkBlue;
};

}  // namespace velmora
