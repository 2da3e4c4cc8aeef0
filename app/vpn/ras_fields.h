// The fixed-size text fields of the RAS structures: texts go in whole or not at all. The program's
// GBK texts go into the wide fields as UTF-16 and come back as GBK.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text.h"

// Copies the text and its terminating zero into the field; false, with the field untouched,
// when the text does not fit.
template <typename Char, std::size_t N> [[nodiscard]] bool CopyText(Char (&field)[N], std::basic_string_view<Char> text)
{
    if (text.size() >= N) {
        return false;
    }
    text.copy(field, text.size());
    field[text.size()] = Char{};
    return true;
}

template <std::size_t N> [[nodiscard]] bool CopyField(char (&field)[N], std::string_view text)
{
    return CopyText(field, text);
}

template <std::size_t N> [[nodiscard]] bool CopyField(wchar_t (&field)[N], std::string_view gbk)
{
    return CopyText<wchar_t>(field, platform::Widen(gbk));
}

// The field up to its first zero, never past its end.
template <typename Char, std::size_t N> std::basic_string_view<Char> FieldView(const Char (&field)[N])
{
    std::size_t n = 0;
    while (n < N && field[n] != Char{}) {
        ++n;
    }
    return {field, n};
}

template <std::size_t N> std::string FieldText(const char (&field)[N]) { return std::string(FieldView(field)); }

template <std::size_t N> std::string FieldText(const wchar_t (&field)[N]) { return platform::Narrow(FieldView(field)); }
