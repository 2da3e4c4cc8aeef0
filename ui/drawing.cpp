#include "ui/drawing.h"

#include <atomic>
#include <vector>

#include "platform/handles.h"
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
    // gdi32's own entry point (msimg32's AlphaBlend only forwards to it): gdi32 is a KnownDLL, so no
    // msimg32.dll is ever looked for beside the exe.
    return ::GdiAlphaBlend(destination, destinationRect.left, destinationRect.top,
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

namespace {

// The family the system really draws the font with ("MS Shell Dlg" is only a name that
// substitution resolves), and the character set it gave; empty when it cannot say.
std::wstring FamilyOf(HGDIOBJ font, int* charset)
{
    platform::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return std::wstring();
    }
    platform::SelectGuard select(dc.Get(), font);
    *charset = ::GetTextCharset(dc.Get());
    if (const UINT size = ::GetOutlineTextMetricsW(dc.Get(), 0, nullptr); size >= sizeof(OUTLINETEXTMETRICW)) {
        std::vector<unsigned char> buffer(size);
        auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        if (::GetOutlineTextMetricsW(dc.Get(), size, metrics)) {
            // The name is stored behind the structure; its "pointer" is an offset into the buffer.
            const auto offset = reinterpret_cast<size_t>(metrics->otmpFamilyName);
            if (offset >= sizeof(OUTLINETEXTMETRICW) && offset + sizeof(wchar_t) <= size) {
                return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + offset));
            }
        }
    }
    wchar_t face[LF_FACESIZE] = {};
    return ::GetTextFaceW(dc.Get(), LF_FACESIZE, face) > 0 ? std::wstring(face) : std::wstring();
}

} // namespace

std::wstring FallbackFamily()
{
    // The texts are Chinese whatever the system's locale: on an English system the GUI font
    // has no Chinese glyphs, so ask the font mapper for a Chinese family first.
    platform::UniqueFont chinese(::CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L""));
    int charset = DEFAULT_CHARSET;
    if (chinese) {
        std::wstring family = FamilyOf(chinese.Get(), &charset);
        if (charset == GB2312_CHARSET && !family.empty()
            && Gdiplus::FontFamily(family.c_str()).GetLastStatus() == Gdiplus::Ok) {
            return family;
        }
    }
    return FamilyOf(::GetStockObject(DEFAULT_GUI_FONT), &charset);
}

std::unique_ptr<Gdiplus::Font> CreateGdiplusFont(const WTFontRecord& record, unsigned dpi)
{
    // A face that is not installed (no "微软雅黑" on the system) falls back to a Chinese
    // family, or the family of the default GUI font, which exists wherever the system draws.
    static const std::wstring fallback = FallbackFamily();
    Gdiplus::FontFamily family(platform::Widen(record.face).c_str());
    std::unique_ptr<Gdiplus::FontFamily> guiFamily;
    const Gdiplus::FontFamily* chosen = &family;
    if (family.GetLastStatus() != Gdiplus::Ok) {
        guiFamily = std::make_unique<Gdiplus::FontFamily>(fallback.c_str());
        chosen = guiFamily->GetLastStatus() == Gdiplus::Ok ? guiFamily.get() : Gdiplus::FontFamily::GenericSansSerif();
    }
    if (!chosen) {
        WTRecordStatus(Gdiplus::FontFamilyNotFound);
        return nullptr;
    }
    constexpr float kPointsPerInch = 72.0f;
    const float pixels = record.size * static_cast<float>(dpi) / kPointsPerInch;
    auto font = std::make_unique<Gdiplus::Font>(chosen, pixels, record.StyleBits(), Gdiplus::UnitPixel);
    if (!WTRecordStatus(font->GetLastStatus())) {
        font.reset();
    }
    return font;
}
