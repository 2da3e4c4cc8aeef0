// UTF-8 -> GBK cases shared by the iconv build's test and the code page 936 build's test, so the
// two conversions are held to the same results.
//
// What was found comparing them over every BMP character (glibc 2.36's "GBK" against code page
// 936 as Wine implements it): each of the 21919 characters glibc converts gets the same bytes
// from 936 (the euro sign becomes 0x80 in both, U+00B7 A1A4, U+2014 A1AA, U+2015 A844), and
// 936 alone also converts the Private Use Area characters U+E000..U+E864 (user-defined areas
// and vendor codes) and U+F8F5 (the single byte 0xFF). The Windows conversion refuses the
// Private Use Area, so both now convert exactly the same characters: the fingerprint below.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace charset_vectors {

struct Case {
    const char* what;
    std::string_view utf8;
    std::string_view gbk; // empty: the conversion must fail as a whole
};

using namespace std::string_view_literals;

inline constexpr Case kConverts[] = {
    {"ASCII passes unchanged", "Line 1;127.0.0.1;1723;user;pw;\r\n"sv, "Line 1;127.0.0.1;1723;user;pw;\r\n"sv},
    {"load level 0", "\xE6\xB5\x81\xE7\x95\x85"sv, "\xC1\xF7\xB3\xA9"sv},
    {"load level 1", "\xE6\x8B\xA5\xE6\x8C\xA4"sv, "\xD3\xB5\xBC\xB7"sv},
    {"load level 2", "\xE7\x88\x86\xE6\xBB\xA1"sv, "\xB1\xAC\xC2\xFA"sv},
    {"mixed ASCII and CJK", "Sorvik\xE5\x8A\xA0\xE9\x80\x9F\xE5\x99\xA8"sv, "Sorvik\xBC\xD3\xCB\xD9\xC6\xF7"sv},
    {"full-width punctuation", "\xEF\xBC\x8C\xEF\xBC\x81"sv, "\xA3\xAC\xA3\xA1"sv},
    {"embedded NUL is kept", "a\0b"sv, "a\0b"sv},
    {"two-byte UTF-8 letters", "\xC3\xA9\xC3\xBC\xC4\x81\xCE\xA9\xD0\xAF"sv,
        "\xA8\xA6\xA8\xB9\xA8\xA1\xA6\xB8\xA7\xC1"sv},
    {"euro sign: single byte 0x80 in both", "\xE2\x82\xAC"sv, "\x80"sv},
    {"middle dot U+00B7", "\xC2\xB7"sv, "\xA1\xA4"sv},
    {"em dash U+2014", "\xE2\x80\x94"sv, "\xA1\xAA"sv},
    {"horizontal bar U+2015", "\xE2\x80\x95"sv, "\xA8\x44"sv},
    {"full-width tilde U+FF5E", "\xEF\xBD\x9E"sv, "\xA1\xAB"sv},
    {"GBK extension area", "\xE3\x8A\xA3\xE3\x80\x87"sv, "\xA9\x49\xA9\x96"sv},
};

inline constexpr Case kFails[] = {
    {"Private Use Area start (936: AAA1)", "\xEE\x80\x80"sv, ""sv},
    {"Private Use Area U+E766 (936: A2AB)", "\xEE\x9D\xA6"sv, ""sv},
    {"U+F8F5 (936: 0xFF)", "\xEF\xA3\xB5"sv, ""sv},
    {"outside the BMP", "\xF0\x9F\x98\x80"sv, ""sv},
    {"Hangul has no GBK form", "\xED\x95\x9C"sv, ""sv},
    {"no-break space has no GBK form", "\xC2\xA0"sv, ""sv},
    {"C1 control U+0080", "\xC2\x80"sv, ""sv},
    {"overlong slash", "\xC0\xAF"sv, ""sv},
    {"overlong three-byte", "\xE0\x80\xAF"sv, ""sv},
    {"encoded surrogate", "\xED\xA0\x80"sv, ""sv},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80"sv, ""sv},
    {"five-byte form", "\xF8\x88\x80\x80\x80"sv, ""sv},
    {"byte 0xFF", "\xFF"sv, ""sv},
    {"lone continuation byte", "\x80"sv, ""sv},
    {"sequence cut off at the end", "\xE6\xB5\x81\xE7\x95"sv, ""sv},
    {"bad continuation byte", "\xE6\xB5\x41"sv, ""sv},
    {"all or nothing: good text, then an invalid byte", "\xE6\xB5\x81\xE7\x95\x85;ok\xFF"sv, ""sv},
    {"all or nothing: good text, then an unmappable character", "abc\xF0\x9F\x98\x80xyz"sv, ""sv},
};

// The UTF-8 form of a BMP code point (not a surrogate).
inline std::string EncodeUtf8(std::uint32_t cp)
{
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

struct Fingerprint {
    std::uint32_t converted = 0; // BMP characters U+0001..U+FFFF with a GBK form
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a over each converted code point and its bytes
};

// Converts every BMP character but the surrogates, one at a time.
template <typename Convert> Fingerprint FingerprintBmp(Convert&& convert)
{
    Fingerprint f;
    auto mix = [&f](unsigned char byte) {
        f.hash ^= byte;
        f.hash *= 1099511628211ull;
    };
    for (std::uint32_t cp = 1; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        const std::string gbk = convert(EncodeUtf8(cp));
        if (gbk.empty()) {
            continue;
        }
        ++f.converted;
        for (int shift = 0; shift < 32; shift += 8) {
            mix(static_cast<unsigned char>(cp >> shift));
        }
        for (const char c : gbk) {
            mix(static_cast<unsigned char>(c));
        }
    }
    return f;
}

// glibc 2.36's GBK table, dumped with iconv directly (one call per code point); both builds
// must reproduce it.
inline constexpr std::uint32_t kBmpConverted = 21919;
inline constexpr std::uint64_t kBmpHash = 0x68a2361107bf6935ull;

} // namespace charset_vectors
