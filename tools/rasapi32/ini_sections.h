// The stand-in's files are INI text in UTF-8, one section per entry; paths, names and values are
// UTF-8 too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct IniValue {
    std::string key;
    std::string value;
};
using IniSection = std::vector<IniValue>;

// The values of the first section of that name (matched without case, as the profile functions
// do); nothing when the file or the section is missing.
std::optional<IniSection> ReadIniSection(const std::string& path, const std::string& section);

// The value of `key` (matched without case), empty when missing.
std::string FindIniValue(const IniSection& values, std::string_view key);

// Drops every section of that name and appends one holding `lines` (each "key=value" or empty).
// The file is replaced whole, so readers never see half of it. False when it cannot be written.
bool ReplaceIniSection(const std::string& path, const std::string& section, const std::vector<std::string>& lines);

// "key=value", quoted when the profile functions would otherwise trim or unquote the value.
std::string IniLine(std::string_view key, std::string_view value);

// Text that fits on one INI line.
bool IsOneLineText(std::string_view text);

// Names compared as the profile functions compare them: in UTF-16, without case.
bool SameIniName(std::string_view a, std::string_view b);

} // namespace standin
