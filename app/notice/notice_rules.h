// Rules applied to the values of the service's notice file.
#pragma once

#include <string>
#include <string_view>

// This program's version as the notice file's "version" key names it.
inline constexpr std::string_view kCurrentVersion = "1.5";

// The pop-up shows this many seconds per showing.
inline constexpr int kPopupSeconds = 120;

// True when the ";"-separated `versions` name this version: ";" + versions + ";" contains
// ";1.5;" (case-sensitive). Empty or missing means an update is required.
bool VersionIsCurrent(std::string_view versions);

// The "time" value (seconds) as milliseconds: optional blanks and sign, then decimal digits
// up to the first other character; no digits gives 0. Negative values give 0 (no re-showing)
// and values past the int range give INT_MAX.
int NoticeIntervalMs(std::string_view timeText);

// The pop-up's countdown line (GBK) after `popupSeconds` of its showing.
std::string CountdownText(int popupSeconds);

// True only for http:// and https:// addresses (scheme in any case). Addresses from the
// notice file go to the shell, which would also open local files and other schemes.
bool IsWebAddress(std::string_view url);

// Where the pop-up's page may go: web addresses and the empty page "about:blank" (any case).
// Everything else (file:, javascript:, res:, other protocols) is cancelled.
bool IsAllowedPageAddress(std::string_view url);
