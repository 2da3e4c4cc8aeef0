// Phonebook entries: written by RasSetEntryPropertiesA/W, read back when an entry is dialled.
// Paths, names and values are UTF-8.
#pragma once

#include "platform/win.h"

#include <optional>
#include <string>

#include "struct_fields.h"

namespace standin {

struct DialEntry {
    std::string phoneNumber; // the server address
    std::string deviceType;
    std::string deviceName;
};

// 0 when the text can name an entry (a section of the phonebook), else the error to return.
DWORD CheckEntryName(const std::string& name);

// The same for an argument, which may also be missing.
template <typename Char> DWORD CheckEntryName(const Char* name)
{
    return name ? CheckEntryName(ArgumentText(name)) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
}

// The entry of that name, or nothing when the phonebook holds none.
std::optional<DialEntry> ReadDialEntry(const std::string& phonebook, const std::string& name);

bool EntryExists(const std::string& phonebook, const std::string& name);

} // namespace standin
