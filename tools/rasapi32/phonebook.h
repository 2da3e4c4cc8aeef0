// Phonebook entries: written by RasSetEntryPropertiesA, read back when an entry is dialled.
#pragma once

#include "platform/win.h"

#include <optional>
#include <string>

namespace standin {

struct DialEntry {
    std::string phoneNumber; // the server address
    std::string deviceType;
    std::string deviceName;
};

// 0 when the text can name an entry (a section of the phonebook), else the error to return.
DWORD CheckEntryName(LPCSTR name);

// The entry of that name, or nothing when the phonebook holds none.
std::optional<DialEntry> ReadDialEntry(const std::string& phonebook, const std::string& name);

bool EntryExists(const std::string& phonebook, const std::string& name);

} // namespace standin
