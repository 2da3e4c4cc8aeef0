// One VPN server of the service's line list; lines are named by their 1-based lineIndex.
#pragma once

#include <string>
#include <vector>

// Every field is GBK text.
struct Line {
    std::string name;
    std::string address; // dotted-decimal IPv4, never resolved
    std::string probePort; // decimal text; see LeadingNumber
    std::string userName;
    std::string password;
    std::string latency; // empty (unmeasured), milliseconds, or the time-out text
    std::string load; // "流畅", "拥挤", "爆满" or anything else (no icon)
};

using LineList = std::vector<Line>;
