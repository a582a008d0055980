// Layout is designed in twips (1/1440 inch) and converted to pixels once, with the
// window's real DPI.
#pragma once

namespace velmora {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel, halves away from zero (15 twips = 1 pixel at 96 DPI).
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

}  // namespace velmora
