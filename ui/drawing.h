// Small GDI and GDI+ helpers shared by the skinned window and its drawn elements.
#pragma once

#include "platform/win.h"
#include <gdiplus.h>

#include <memory>
#include <string>

// Status of the last GDI+ call made through the program's wrappers (UI thread only).
int WTLastStatus();
// Records a GDI+ status as the last one; true when it is Ok.
bool WTRecordStatus(Gdiplus::Status status);

// COLORREF is 0x00BBGGRR, ARGB is 0xAARRGGBB.
Gdiplus::ARGB ColorRefToArgb(COLORREF color, BYTE alpha = 255);
COLORREF ArgbToColorRef(Gdiplus::ARGB color);

// AlphaBlend with a constant alpha, optionally honouring the source's per-pixel alpha.
bool WTAlphaBlend(HDC destination, const RECT& destinationRect, HDC source, const RECT& sourceRect, BYTE alpha = 255,
    bool perPixelAlpha = false);

// The quality every drawn element asks for before drawing.
void ApplyDrawQuality(Gdiplus::Graphics& graphics);

// What an element's font is made from. Face names are GBK texts.
struct WTFontRecord {
    bool bold = false;
    bool italic = false;
    bool strikeout = false;
    bool underline = false;
    float size = 9.0f; // points
    std::string face = "宋体";

    int StyleBits() const; // GDI+ FontStyle: bold 1, italic 2, underline 4, strikeout 8
    bool operator==(const WTFontRecord&) const = default;
};

// A GDI+ font for the record at `dpi`, sized in pixels so the device's own DPI does not scale it
// again; a face that is not installed falls back to FallbackFamily, then to the generic sans
// serif. Null when none of them exists.
std::unique_ptr<Gdiplus::Font> CreateGdiplusFont(const WTFontRecord& record, unsigned dpi = 96);
// The family the font mapper gives for Chinese (GB2312) texts where the system has one, else the
// family the system really draws its default GUI font with.
std::wstring FallbackFamily();
