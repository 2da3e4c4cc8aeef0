// Helpers shared by the exported functions: the structures' fixed-size text fields, option words, and
// the guard that keeps exceptions inside the library.
#pragma once

#include "platform/win.h"

#include <cstdio>
#include <string>

namespace standin {

// The field up to its first zero byte, never past its end.
template <size_t N> std::string FieldText(const CHAR (&field)[N])
{
    size_t n = 0;
    while (n < N && field[n] != '\0') {
        ++n;
    }
    return std::string(field, n);
}

// Copies the text in, cut to fit, always zero-terminated.
template <size_t N> void CopyField(CHAR (&field)[N], const std::string& text)
{
    const size_t n = text.size() < N ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = '\0';
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
