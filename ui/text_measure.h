// Measuring text the way drawn elements lay it out.
#pragma once

#include "platform/win.h"

#include <string>

#include "ui/drawing.h"

// Right edge of the bounding box of `text` (GBK) in `font` laid out in `layout`.
double MeasureTextRight(const std::string& text, const WTFontRecord& font, const RECT& layout);
// Width of that bounding box.
double MeasureTextWidth(const std::string& text, const WTFontRecord& font, const RECT& layout);
