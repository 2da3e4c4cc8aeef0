#include "platform/text.h"

#include "platform/win.h"

#include <climits>

namespace platform {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring ToWide(UINT codePage, std::string_view text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), n);
    }
    return out;
}

std::string FromWide(UINT codePage, std::wstring_view wide)
{
    if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(codePage, 0, wide.data(), length, out.data(), n, nullptr, nullptr);
    }
    return out;
}

} // namespace

std::wstring Widen(std::string_view gbk) { return ToWide(kGbkCodePage, gbk); }

std::string Narrow(std::wstring_view wide) { return FromWide(kGbkCodePage, wide); }

std::wstring WidenUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string NarrowUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

} // namespace platform
