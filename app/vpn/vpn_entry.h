// The PPTP phonebook entry and what the connection log says about the system.
#pragma once

#include <string>

// Whether the texts fit the structures: server address 128, user name and password 256 characters.
bool EntryFieldsFit(const std::string& userName, const std::string& password, const std::string& serverAddress);

// Writes the entry and, when both are given, its credentials; false when a field does not fit or RAS refuses.
bool BuildVpnEntry(const std::string& entryName, const std::wstring& phonebookPath, const std::string& userName,
    const std::string& password, const std::string& serverAddress, unsigned vpnStrategy);

// Registry "ProductName" + " " + "CSDVersion".
std::string GetOsDescription();
bool Is64BitSystem();
// rootKey: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS, 5 HKEY_CURRENT_CONFIG.
std::string ReadRegistryText(int rootKey, const std::string& subKey, const std::string& valueName);
