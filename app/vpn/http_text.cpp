#include "app/vpn/http_text.h"

#include "app/lines/line_rows.h"

namespace {

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; }

// Length of the character starting at `at`; a lead byte as the last byte stands alone.
std::size_t CharLength(std::string_view text, std::size_t at)
{
    return IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

// First position at or after `from` that starts a character (counted from `from`) and
// begins `marker`; npos when there is none.
std::size_t FindAtCharStart(std::string_view text, std::string_view marker, std::size_t from)
{
    for (std::size_t at = from; at < text.size() && text.size() - at >= marker.size(); at += CharLength(text, at)) {
        if (text.compare(at, marker.size(), marker) == 0) {
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right)
{
    if (text.empty() || left.empty() || right.empty()) {
        return {};
    }
    const std::size_t leftAt = FindAtCharStart(text, left, 0);
    if (leftAt == std::string_view::npos) {
        return {};
    }
    const std::size_t valueAt = leftAt + left.size();
    const std::size_t rightAt = FindAtCharStart(text, right, valueAt);
    if (rightAt == std::string_view::npos || rightAt == valueAt) {
        return {};
    }
    return std::string(text.substr(valueAt, rightAt - valueAt));
}

std::string LowerAsciiDbcs(std::string_view text)
{
    std::string out(text);
    for (std::size_t at = 0; at < out.size(); at += CharLength(out, at)) {
        if (out[at] >= 'A' && out[at] <= 'Z') {
            out[at] = static_cast<char>(out[at] - 'A' + 'a');
        }
    }
    return out;
}

std::string CompleteScheme(std::string_view url)
{
    if (LowerAsciiDbcs(url.substr(0, 4)) == "http") {
        return std::string(url);
    }
    std::string completed = "http://";
    completed += url;
    return completed;
}

std::string AllCookies(std::string_view headers)
{
    std::string cookies;
    for (const std::string& line : SplitAt(headers, "\r\n")) {
        if (line.starts_with("Set-Cookie:")) {
            cookies += line;
            cookies += "\r\n";
        }
    }
    return cookies;
}

std::string CookieValue(std::string_view headers, std::string_view name)
{
    auto valueAfter = [&](std::string_view prefix) {
        std::string marker(prefix);
        marker += name;
        marker += '=';
        return TextBetween(headers, marker, ";");
    };
    std::string value = valueAfter("Set-Cookie: ");
    return value.empty() ? valueAfter("Set-Cookie:") : value;
}
