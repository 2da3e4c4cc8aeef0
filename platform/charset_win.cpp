#include "platform/win.h"

#include "platform/charset.h"

#include <algorithm>
#include <climits>

namespace platform {

namespace {

constexpr UINT kGbkCodePage = 936;

// Code page 936 also maps the Private Use Area (user-defined GBK areas, and 0xFF for U+F8F5);
// iconv's GBK does not. Refusing it keeps both builds to the same characters.
bool IsPrivateUse(wchar_t c) { return c >= 0xE000 && c <= 0xF8FF; }

} // namespace

std::string Utf8ToGbk(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int inLength = static_cast<int>(utf8.size());
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, nullptr, 0);
    if (wideLength <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, wide.data(), wideLength)
        != wideLength) {
        return {};
    }
    if (std::any_of(wide.begin(), wide.end(), IsPrivateUse)) {
        return {};
    }
    BOOL usedDefault = FALSE;
    const int outLength = ::WideCharToMultiByte(
        kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (outLength <= 0 || usedDefault) {
        return {};
    }
    std::string out(static_cast<std::size_t>(outLength), '\0');
    usedDefault = FALSE;
    if (::WideCharToMultiByte(
            kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out.data(), outLength, nullptr, &usedDefault)
            != outLength
        || usedDefault) {
        return {};
    }
    return out;
}

} // namespace platform
