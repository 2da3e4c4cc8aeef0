#include "app/notice/notice_rules.h"

#include <climits>
#include <cstdint>

#include "app/vpn/http_text.h"

bool VersionIsCurrent(std::string_view versions)
{
    std::string framed;
    framed.reserve(versions.size() + 2);
    framed += ';';
    framed += versions;
    framed += ';';
    std::string wanted;
    wanted += ';';
    wanted += kCurrentVersion;
    wanted += ';';
    return framed.find(wanted) != std::string::npos;
}

int NoticeIntervalMs(std::string_view timeText)
{
    std::size_t at = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    while (at < timeText.size() && isBlank(timeText[at])) {
        ++at;
    }
    bool negative = false;
    if (at < timeText.size() && (timeText[at] == '+' || timeText[at] == '-')) {
        negative = timeText[at] == '-';
        ++at;
    }
    // Past this many seconds the milliseconds leave the int range; stop counting there.
    constexpr std::int64_t kMaxSeconds = INT_MAX / 1000 + 1;
    std::int64_t seconds = 0;
    for (; at < timeText.size() && timeText[at] >= '0' && timeText[at] <= '9'; ++at) {
        if (seconds <= kMaxSeconds) {
            seconds = seconds * 10 + (timeText[at] - '0');
        }
    }
    if (negative || seconds == 0) {
        return 0;
    }
    const std::int64_t ms = seconds * 1000;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

std::string CountdownText(int popupSeconds)
{
    const long long left = static_cast<long long>(kPopupSeconds) - popupSeconds;
    return " 该窗口将在" + std::to_string(left) + "秒后自动消失，点击链接后立即消失！";
}

bool IsWebAddress(std::string_view url)
{
    const std::string lower = LowerAsciiDbcs(url.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

bool IsAllowedPageAddress(std::string_view url)
{
    return IsWebAddress(url) || (url.size() == 11 && LowerAsciiDbcs(url) == "about:blank");
}
