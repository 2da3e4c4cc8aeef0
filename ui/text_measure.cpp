#include "ui/text_measure.h"

#include "platform/text.h"

namespace {

Gdiplus::RectF Measure(const std::string& text, const WTFontRecord& font, const RECT& layout)
{
    // A fixed work picture, so the result does not depend on the screen's device context.
    Gdiplus::Bitmap work(800, 600, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&work);
    ApplyDrawQuality(graphics);
    std::unique_ptr<Gdiplus::Font> gdiFont = CreateGdiplusFont(font);
    const std::wstring wide = platform::Widen(text);
    const Gdiplus::RectF area(static_cast<Gdiplus::REAL>(layout.left), static_cast<Gdiplus::REAL>(layout.top),
        static_cast<Gdiplus::REAL>(layout.right - layout.left), static_cast<Gdiplus::REAL>(layout.bottom - layout.top));
    Gdiplus::RectF box;
    if (!gdiFont || wide.empty()) {
        return Gdiplus::RectF(area.X, area.Y, 0, 0);
    }
    WTRecordStatus(graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), gdiFont.get(), area, &box));
    return box;
}

} // namespace

double MeasureTextRight(const std::string& text, const WTFontRecord& font, const RECT& layout)
{
    const Gdiplus::RectF box = Measure(text, font, layout);
    return box.X + box.Width;
}

double MeasureTextWidth(const std::string& text, const WTFontRecord& font, const RECT& layout)
{
    return Measure(text, font, layout).Width;
}
