#include "ui/drawing.h"

#include <atomic>

#include "platform/text.h"

namespace {

// Written by every wrapper call; only the UI thread draws, the atomic just keeps a stray reader safe.
std::atomic<int> lastStatus{0};

} // namespace

int WTLastStatus() { return lastStatus.load(std::memory_order_relaxed); }

bool WTRecordStatus(Gdiplus::Status status)
{
    lastStatus.store(static_cast<int>(status), std::memory_order_relaxed);
    return status == Gdiplus::Ok;
}

Gdiplus::ARGB ColorRefToArgb(COLORREF color, BYTE alpha)
{
    return static_cast<Gdiplus::ARGB>(alpha) << 24 | static_cast<Gdiplus::ARGB>(GetRValue(color)) << 16
        | static_cast<Gdiplus::ARGB>(GetGValue(color)) << 8 | GetBValue(color);
}

COLORREF ArgbToColorRef(Gdiplus::ARGB color) { return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF); }

bool WTAlphaBlend(
    HDC destination, const RECT& destinationRect, HDC source, const RECT& sourceRect, BYTE alpha, bool perPixelAlpha)
{
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, static_cast<BYTE>(perPixelAlpha ? AC_SRC_ALPHA : 0)};
    return ::AlphaBlend(destination, destinationRect.left, destinationRect.top,
               destinationRect.right - destinationRect.left, destinationRect.bottom - destinationRect.top, source,
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top,
               blend)
        != FALSE;
}

void ApplyDrawQuality(Gdiplus::Graphics& graphics)
{
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    WTRecordStatus(graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality));
}

int WTFontRecord::StyleBits() const
{
    return (bold ? Gdiplus::FontStyleBold : 0) | (italic ? Gdiplus::FontStyleItalic : 0)
        | (underline ? Gdiplus::FontStyleUnderline : 0) | (strikeout ? Gdiplus::FontStyleStrikeout : 0);
}

std::unique_ptr<Gdiplus::Font> CreateGdiplusFont(const WTFontRecord& record)
{
    const std::wstring face = platform::Widen(record.face);
    Gdiplus::FontFamily family(face.c_str());
    std::unique_ptr<Gdiplus::Font> font;
    if (family.GetLastStatus() == Gdiplus::Ok) {
        font = std::make_unique<Gdiplus::Font>(&family, record.size, record.StyleBits(), Gdiplus::UnitPoint);
    } else {
        font = std::make_unique<Gdiplus::Font>(
            Gdiplus::FontFamily::GenericSansSerif(), record.size, record.StyleBits(), Gdiplus::UnitPoint);
    }
    if (!WTRecordStatus(font->GetLastStatus())) {
        font.reset();
    }
    return font;
}
