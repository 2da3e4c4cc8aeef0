// The program's local files: paths beside the executable, whole-file reads and writes, INI values.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Directory of the executable without a trailing separator (ANSI, cut at the last backslash).
std::string ProgramDirectory();

// Whole file as bytes; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::string& path);

// Writes the bytes over any older file; false when the file cannot be written.
bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// One INI value, read whole however long it is; empty when missing.
std::string ReadIniText(const std::string& path, const std::string& section, const std::string& key);

} // namespace platform
