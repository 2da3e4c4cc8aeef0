// The program lays out in 96-DPI pixels; these scale that layout to a window's DPI and pick
// which of the theme's picture sizes to draw.
#pragma once

namespace dpi {

inline constexpr unsigned kBase = 96;

// A 96-DPI length at `dpi`, rounded half away from zero like MulDiv.
int Scale(int value, unsigned dpi);

// The theme draws its pictures at 100, 150 and 200 %: the nearest at or above the DPI's own
// scale, so a picture is only ever shrunk; above 200 % the 200 % pictures are enlarged.
int PicturePercent(unsigned dpi);

// On-screen size of a picture `size` pixels large that was drawn for `percent`, shown at `dpi`.
int ShownSize(int size, int percent, unsigned dpi);

} // namespace dpi
