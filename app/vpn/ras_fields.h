// The fixed-size text fields of the RAS structures: texts go in whole or not at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Copies the text and its terminating zero into the field; false, with the field untouched,
// when the text does not fit.
template <std::size_t N> [[nodiscard]] bool CopyField(char (&field)[N], std::string_view text)
{
    if (text.size() >= N) {
        return false;
    }
    text.copy(field, text.size());
    field[text.size()] = '\0';
    return true;
}

// The field up to its first zero byte, never past its end.
template <std::size_t N> std::string FieldText(const char (&field)[N])
{
    std::size_t n = 0;
    while (n < N && field[n] != '\0') {
        ++n;
    }
    return std::string(field, n);
}
