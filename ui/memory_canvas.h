// An off-screen picture with a memory DC and a GDI+ graphics over it: 32 bits a pixel, or 24 for
// an opaque one that is only ever copied (a quarter less memory).
#pragma once

#include "platform/win.h"
#include <gdiplus.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/handles.h"

class WTMemoryCanvas {
public:
    WTMemoryCanvas() = default;
    ~WTMemoryCanvas() { Release(); }
    WTMemoryCanvas(const WTMemoryCanvas&) = delete;
    WTMemoryCanvas& operator=(const WTMemoryCanvas&) = delete;

    // Releases any previous canvas first. Rows run bottom-up, as GDI keeps them.
    bool Create(int width, int height, bool opaque = false);
    void Release();

    bool IsCreated() const { return dc_ && bitmap_; }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    Gdiplus::Graphics* Graphics() const { return graphics_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Sets every pixel to 0 (transparent black).
    void Clear();
    // The pixel at (x, y) as 0xAARRGGBB (alpha 0 on an opaque canvas), 0 outside; flushes
    // pending GDI drawing first.
    std::uint32_t Pixel(int x, int y) const;

private:
    platform::UniqueMemoryDc dc_;
    platform::UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 4;
    std::size_t stride_ = 0; // bytes a row, padded to 4 as DIBs are
};
