#include "app/vpn/service_url.h"

#include <cstddef>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

bool HostChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string Origin(const UrlParts& parts)
{
    return std::string(parts.secure ? "https://" : "http://") + parts.host + ":" + std::to_string(parts.port);
}

} // namespace

std::optional<UrlParts> SplitUrl(std::string_view url)
{
    UrlParts parts;
    if (StartsWithNoCase(url, "https://")) {
        parts.secure = true;
        url.remove_prefix(8);
    } else if (StartsWithNoCase(url, "http://")) {
        url.remove_prefix(7);
    } else {
        return std::nullopt;
    }
    const std::size_t slash = url.find('/');
    const std::string_view authority = url.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty()) {
        return std::nullopt;
    }
    for (const char c : host) {
        if (!HostChar(c)) {
            return std::nullopt;
        }
    }
    parts.host = std::string(host);
    parts.port = parts.secure ? 443 : 80;
    if (colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) {
            return std::nullopt;
        }
        int port = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535) {
            return std::nullopt;
        }
        parts.port = port;
    }
    return parts;
}

std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location)
{
    const std::optional<UrlParts> source = SplitUrl(from);
    if (!source) {
        return std::nullopt;
    }
    if (!location.empty() && location.front() == '/' && (location.size() < 2 || location[1] != '/')) {
        return Origin(*source) + std::string(location);
    }
    const std::optional<UrlParts> target = SplitUrl(location);
    if (!target || !EqualNoCase(target->host, source->host) || target->port != source->port) {
        return std::nullopt;
    }
    if (source->secure && !target->secure) {
        return std::nullopt;
    }
    return Origin(*target) + target->path;
}

bool IsServiceBase(std::string_view url)
{
    const std::optional<UrlParts> parts = SplitUrl(url);
    return parts && parts->path == "/" && url.back() != '/';
}
