#include "app/notice/browser_features.h"

#include "platform/win.h"

#include <string>

#include "platform/handles.h"

namespace {

bool SetFeature(const wchar_t* feature, const std::wstring& program, DWORD value)
{
    const std::wstring path = std::wstring(kFeatureControlKey) + L"\\" + feature;
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr)
        != ERROR_SUCCESS) {
        return false;
    }
    platform::UniqueRegKey key(opened);
    return ::RegSetValueExW(
               key.Get(), program.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
}

} // namespace

std::wstring ProgramFileName()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, n < MAX_PATH ? n : 0);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

bool LockDownBrowserFeatures()
{
    const std::wstring program = ProgramFileName();
    if (program.empty()) {
        return false;
    }
    bool all = SetFeature(L"FEATURE_BROWSER_EMULATION", program, kBrowserEmulationIe11Edge);
    all = SetFeature(L"FEATURE_RESTRICT_FILEDOWNLOAD", program, 1) && all;
    all = SetFeature(L"FEATURE_WEBOC_POPUPMANAGEMENT", program, 1) && all;
    return all;
}
