// Helpers shared by the exported functions: texts as callers give them (ANSI functions in the
// system's code page, as Windows reads them; wide functions in UTF-16) and as the library keeps
// them (UTF-8, so its files and ledger read the same under any code page), the structures'
// fixed-size text fields, option words, and the guard that keeps exceptions inside the library.
#pragma once

#include "platform/win.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace standin {

inline std::string Utf8Text(std::wstring_view wide) { return platform::NarrowUtf8(wide); }

inline std::string Utf8Text(std::string_view ansi)
{
    if (ansi.empty()) {
        return {};
    }
    const int length = static_cast<int>(ansi.size());
    std::wstring wide(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), static_cast<int>(wide.size()));
    return platform::NarrowUtf8(wide);
}

// The text a wide function hands back.
inline std::wstring CallerText(const std::string& utf8, const WCHAR* /*width*/) { return platform::WidenUtf8(utf8); }

// The text an ANSI function hands back; characters the code page lacks become '?'.
inline std::string CallerText(const std::string& utf8, const CHAR* /*width*/)
{
    const std::wstring wide = platform::WidenUtf8(utf8);
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    std::string ansi(
        static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr);
    return ansi;
}

// A zero-terminated argument; empty for a null pointer.
template <typename Char> std::string ArgumentText(const Char* text)
{
    return text ? Utf8Text(std::basic_string_view<Char>(text)) : std::string();
}

// The field up to its first zero, never past its end.
template <typename Char, size_t N> std::string FieldText(const Char (&field)[N])
{
    size_t n = 0;
    while (n < N && field[n] != Char{}) {
        ++n;
    }
    return Utf8Text(std::basic_string_view<Char>(field, n));
}

// Copies the text in, cut to fit, always zero-terminated.
template <typename Char, size_t N> void CopyField(Char (&field)[N], const std::string& utf8)
{
    const auto text = CallerText(utf8, static_cast<const Char*>(nullptr));
    const size_t n = text.size() < N ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = Char{};
}

// The exported name of the function of that width: "RasDial" becomes "RasDialA" or "RasDialW".
template <typename Char> std::string ApiName(const char* stem)
{
    return stem + std::string(sizeof(Char) == 1 ? "A" : "W");
}

// Runs the body of an exported function: no exception may reach the caller, a failure is a result.
template <typename Body> DWORD NoThrow(Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// An option word as "0x" and upper-case hex digits, e.g. 0x3D0D0210.
inline std::string HexWord(DWORD value)
{
    char text[16];
    if (std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value)) < 0) {
        return {};
    }
    return text;
}

} // namespace standin
