// Test helper run inside the same Wine prefix as Sorvik.exe: reports the
// windows of the desktop as JSON lines and pokes them, so end-to-end tests can
// check geometry and state from outside the program.
//   wininfo windows                 one JSON object per visible or hidden top-level window
//   wininfo close TITLE             post WM_CLOSE to the first top-level window with that title
//   wininfo listview TITLE          the rows of the list view inside that window, one JSON line each
#include "platform/win.h"

#include <commctrl.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int n
        = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string JsonText(const std::wstring& text)
{
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void Emit(const std::string& line, DWORD stream = STD_OUTPUT_HANDLE)
{
    DWORD written = 0;
    std::string withEnd = line + "\n";
    ::WriteFile(::GetStdHandle(stream), withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
}

template <typename Number> std::string Field(const char* name, Number value)
{
    return ", \"" + std::string(name) + "\": " + std::to_string(value);
}

std::string Flag(const char* name, bool value)
{
    return ", \"" + std::string(name) + "\": " + (value ? "true" : "false");
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t buf[512] = {};
    ::GetWindowTextW(hwnd, buf, 512);
    return buf;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t buf[256] = {};
    ::GetClassNameW(hwnd, buf, 256);
    return buf;
}

BOOL CALLBACK ReportWindow(HWND hwnd, LPARAM)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    const std::string fields = Field("hwnd", reinterpret_cast<uintptr_t>(hwnd)) + Field("pid", pid)
        + Field("x", rc.left) + Field("y", rc.top) + Field("width", rc.right - rc.left)
        + Field("height", rc.bottom - rc.top) + Field("client_width", client.right)
        + Field("client_height", client.bottom) + Field("style", static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)))
        + Field("exstyle", static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE)))
        + Flag("visible", ::IsWindowVisible(hwnd)) + Flag("enabled", ::IsWindowEnabled(hwnd))
        + Field("owner", reinterpret_cast<uintptr_t>(::GetWindow(hwnd, GW_OWNER)));
    Emit("{\"title\": " + JsonText(WindowText(hwnd)) + ", \"class\": " + JsonText(ClassName(hwnd)) + fields + "}");
    return TRUE;
}

struct FindByTitle {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param)
{
    auto* find = reinterpret_cast<FindByTitle*>(param);
    if (WindowText(hwnd) == find->title) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const std::wstring& title)
{
    FindByTitle find{title};
    ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Reads list-view items of another process through memory allocated in that process.
class RemoteListView {
public:
    explicit RemoteListView(HWND list)
        : list_(list)
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(list, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) {
            remote_ = ::VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~RemoteListView()
    {
        if (remote_) {
            ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        }
        if (process_) {
            ::CloseHandle(process_);
        }
    }
    bool Ok() const { return remote_ != nullptr; }

    // Text, image and item data of one cell.
    bool Item(int row, int column, std::wstring* text, int* image, LPARAM* data)
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row;
        item.iSubItem = column;
        auto* base = static_cast<char*>(remote_);
        item.pszText = reinterpret_cast<wchar_t*>(base + sizeof(LVITEMW));
        item.cchTextMax = kTextChars;
        SIZE_T done = 0;
        if (!::WriteProcessMemory(process_, remote_, &item, sizeof(item), &done)) {
            return false;
        }
        if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote_))) {
            return false;
        }
        wchar_t buffer[kTextChars] = {};
        ::ReadProcessMemory(process_, remote_, &item, sizeof(item), &done);
        ::ReadProcessMemory(process_, base + sizeof(LVITEMW), buffer, sizeof(buffer), &done);
        buffer[kTextChars - 1] = L'\0';
        *text = buffer;
        *image = item.iImage;
        *data = item.lParam;
        return true;
    }

private:
    static constexpr int kTextChars = 260;
    static constexpr SIZE_T kSize = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    HWND list_;
    HANDLE process_ = nullptr;
    void* remote_ = nullptr;
};

int ReportListView(const std::wstring& title)
{
    HWND top = FindTopLevel(title);
    HWND list = top ? ::FindWindowExW(top, nullptr, L"SysListView32", nullptr) : nullptr;
    if (!list) {
        return 1;
    }
    RemoteListView remote(list);
    if (!remote.Ok()) {
        return 1;
    }
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::string line = "{\"row\": " + std::to_string(row);
        for (int column = 0; column < 4; ++column) {
            std::wstring text;
            int image = -1;
            LPARAM data = 0;
            remote.Item(row, column, &text, &image, &data);
            if (column == 0) {
                line += ", \"data\": " + std::to_string(static_cast<long>(data));
            }
            line += ", \"text" + std::to_string(column) + "\": " + JsonText(text) + ", \"image" + std::to_string(column)
                + "\": " + std::to_string(image);
        }
        Emit(line + ", \"visible\": " + (::IsWindowVisible(list) ? "true" : "false") + "}");
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") {
        ::EnumWindows(ReportWindow, 0);
        return 0;
    }
    if (command == L"close" && argc > 2) {
        HWND found = FindTopLevel(argv[2]);
        if (!found) {
            return 1;
        }
        ::PostMessageW(found, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"listview" && argc > 2) {
        return ReportListView(argv[2]);
    }
    Emit("usage: wininfo windows | close TITLE | listview TITLE", STD_ERROR_HANDLE);
    return 2;
}
