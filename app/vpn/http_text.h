// Text helpers of the HTTP client: marker search, URL scheme completion and cookies. Texts are
// GBK: a byte with the high bit set starts a two-byte character.
#pragma once

#include <string>
#include <string_view>

// The text between the first `left` and the first `right` after it, where matches are tried
// at character starts only. Empty when a marker is missing, the value would be empty, or any
// argument is empty.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right);

// `text` with its ASCII letters lower-cased; both bytes of a two-byte character are left alone.
std::string LowerAsciiDbcs(std::string_view text);

// `url` unchanged when its lower-cased form begins with "http", else "http://" + url.
std::string CompleteScheme(std::string_view url);

// Every header line that begins with "Set-Cookie:", each followed by "\r\n".
std::string AllCookies(std::string_view headers);

// The value of cookie `name` up to its ";": from "Set-Cookie: name=", else from
// "Set-Cookie:name="; empty when neither is found or no ";" follows.
std::string CookieValue(std::string_view headers, std::string_view name);
