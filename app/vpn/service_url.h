// Addresses of the service: splitting one into its parts, and which redirects are followed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct UrlParts {
    bool secure = false; // https
    std::string host; // as written, without brackets or port
    int port = 0; // the scheme's port when none is written
    std::string path; // from the first "/" on, query included; "/" when none is written
};

// "http://host[:port][/path]" or "https://host[:port][/path]" (scheme in any case); nothing else:
// no user information, no empty host, a port of 1 to 65535.
std::optional<UrlParts> SplitUrl(std::string_view url);

// The address a redirect from `from` to `location` leads to, or nothing when it must not be followed.
// Only the same host and port are followed, and never from https to http; a location that starts
// with "/" stays on the current host.
std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location);

// A build's service address: "http://host[:port]" or "https://host[:port]", no path.
bool IsServiceBase(std::string_view url);
