// Helpers for the tests of skinned windows, drawn elements and pictures.
#pragma once

#include "platform/win.h"
#include <gdiplus.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/image.h"
#include "ui/memory_canvas.h"
#include "ui/skin_window.h"

namespace skintest {

// A bare window (no framework object) that records what reaches its own procedure.
// It swallows WM_NCLBUTTONDOWN so that a title-strip press does not start a real move loop.
class BareWindow {
public:
    BareWindow(int width, int height, bool visible = false)
    {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &BareWindow::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"SorvikSkinTestWindow";
            return ::RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"SorvikSkinTestWindow", L"skin test",
            WS_POPUP | (visible ? WS_VISIBLE : 0), 30, 30, width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr),
            nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~BareWindow()
    {
        if (::IsWindow(hwnd_)) {
            ::DestroyWindow(hwnd_);
        }
    }
    BareWindow(const BareWindow&) = delete;
    BareWindow& operator=(const BareWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    int captionPresses = 0; // WM_NCLBUTTONDOWN with HTCAPTION seen by the window's own procedure
    LPARAM lastCaptionPoint = 0;
    int mouseMoves = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<BareWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message == WM_NCLBUTTONDOWN) {
            if (wParam == HTCAPTION) {
                ++self->captionPresses;
                self->lastCaptionPoint = lParam;
            }
            return 0;
        }
        if (self && message == WM_MOUSEMOVE) {
            ++self->mouseMoves;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

inline LRESULT Send(HWND hwnd, UINT message, int x, int y, WPARAM wParam = 0)
{
    return ::SendMessageW(hwnd, message, wParam, At(x, y));
}

// The skin's picture of the whole client area.
inline void PaintWhole(WTSkinWindow& skin, WTMemoryCanvas& canvas)
{
    RECT client{};
    ::GetClientRect(skin.Handle(), &client);
    ASSERT_TRUE(canvas.Create(client.right, client.bottom));
    skin.Paint(canvas.Dc(), client);
}

struct Rgb {
    int r, g, b;
};

inline Rgb RgbOf(std::uint32_t pixel)
{
    return Rgb{
        static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF), static_cast<int>(pixel & 0xFF)};
}

inline Rgb RgbOfArgb(std::uint32_t argb) { return RgbOf(argb); }

// src (ARGB) blended over an opaque colour.
inline Rgb Over(std::uint32_t src, Rgb dst)
{
    const double a = ((src >> 24) & 0xFF) / 255.0;
    const Rgb s = RgbOf(src);
    auto mix = [a](int top, int bottom) { return static_cast<int>(top * a + bottom * (1.0 - a) + 0.5); };
    return Rgb{mix(s.r, dst.r), mix(s.g, dst.g), mix(s.b, dst.b)};
}

inline ::testing::AssertionResult Near(std::uint32_t pixel, Rgb expected, int tolerance = 2)
{
    const Rgb got = RgbOf(pixel);
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance
        && std::abs(got.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << got.r << "," << got.g << "," << got.b << ") expected ("
                                         << expected.r << "," << expected.g << "," << expected.b << ")";
}

// A picture of one colour, encoded in the given format.
inline std::vector<unsigned char> SolidPicture(
    int width, int height, std::uint32_t argb, const GUID& format = Gdiplus::ImageFormatPNG)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.SetPixel(x, y, Gdiplus::Color(argb));
        }
    }
    return EncodeImage(bitmap, format);
}

// A picture whose columns (or rows) are painted by a function of the position.
template <typename ColorAt>
std::vector<unsigned char> PaintedPicture(
    int width, int height, ColorAt colorAt, const GUID& format = Gdiplus::ImageFormatPNG)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.SetPixel(x, y, Gdiplus::Color(colorAt(x, y)));
        }
    }
    return EncodeImage(bitmap, format);
}

// Writes the canvas as a PNG file.
inline bool SaveCanvasPng(const WTMemoryCanvas& canvas, const std::wstring& path)
{
    const int w = canvas.Width();
    const int h = canvas.Height();
    if (w <= 0 || h <= 0) {
        return false;
    }
    Gdiplus::Bitmap bitmap(w, h, PixelFormat32bppRGB);
    Gdiplus::Rect all(0, 0, w, h);
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppRGB, &data) != Gdiplus::Ok) {
        return false;
    }
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < w; ++x) {
            row[x] = 0xFF000000 | canvas.Pixel(x, y);
        }
    }
    bitmap.UnlockBits(&data);
    CLSID encoder{};
    return FindImageEncoder(Gdiplus::ImageFormatPNG, &encoder)
        && bitmap.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

// Live GDI objects of this process. Wine answers GetGuiResources with 0, so there the
// handle table that gdi32 keeps for the process is counted instead.
inline int GdiObjectCount()
{
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) {
        return static_cast<int>(counted);
    }
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        return -1;
    }
#if defined(_M_IX86) || defined(__i386__) || defined(_M_X64) || defined(__x86_64__)
    // The PEB's place in the TEB and the GdiSharedHandleTable's in the PEB differ with the width;
    // the table's entries are 24 bytes in both, the type byte at 14.
    constexpr std::size_t kPebInTeb = sizeof(void*) == 8 ? 0x60 : 0x30;
    constexpr std::size_t kTableInPeb = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const auto* teb = reinterpret_cast<const unsigned char*>(::NtCurrentTeb());
    const auto* peb = *reinterpret_cast<const unsigned char* const*>(teb + kPebInTeb);
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + kTableInPeb);
    if (!table) {
        return -1;
    }
    int live = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i * 24 + 14] != 0) {
            ++live;
        }
    }
    return live;
#else
    return -1;
#endif
}

// Memory the process has committed for itself, in bytes.
inline std::size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(
            ::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters))) {
        return 0;
    }
    return counters.PagefileUsage; // Wine leaves PrivateUsage at 0; on Windows the two agree
}

// The repository's root, as CTest tells it; empty when not run by CTest.
inline std::string RepoDirectory()
{
    const char* repo = std::getenv("SORVIK_REPO");
    return repo ? repo : "";
}

} // namespace skintest
