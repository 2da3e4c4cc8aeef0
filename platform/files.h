// The program's local files: paths beside the executable, whole-file reads and writes, INI values.
// Paths are wide: the program's folder may hold characters of any code page.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Full path of the executable.
std::wstring ProgramPath();

// Directory of the executable without a trailing separator (cut at the last backslash).
std::wstring ProgramDirectory();

// Whole file as bytes; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::wstring& path);

// Writes the bytes over any older file; false when the file cannot be written.
bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes);

// The same, but a crash or a full disk at any moment leaves either the old file or the new one
// whole: the bytes go to "<path>.tmp" first, which then replaces the file. Writers of one path
// take turns (they share that temporary name).
bool ReplaceWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes);

// One value of a GBK INI file, read whole however long it is; empty when missing.
std::string ReadIniText(const std::wstring& path, const std::string& section, const std::string& key);

} // namespace platform
