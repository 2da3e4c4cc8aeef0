#include "ui/memory_canvas.h"

#include <cstring>

#include "ui/drawing.h"

bool WTMemoryCanvas::Create(int width, int height, bool opaque)
{
    Release();
    if (width <= 0 || height <= 0) {
        return false;
    }
    platform::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    const int bytesPerPixel = opaque ? 3 : 4;
    info.bmiHeader.biBitCount = static_cast<WORD>(bytesPerPixel * 8);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    platform::UniqueBitmap bitmap(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        return false;
    }
    previous_ = ::SelectObject(dc.Get(), bitmap.Get());
    ::SetBkMode(dc.Get(), TRANSPARENT);
    auto graphics = std::make_unique<Gdiplus::Graphics>(dc.Get());
    if (!WTRecordStatus(graphics->GetLastStatus())) {
        ::SelectObject(dc.Get(), previous_);
        previous_ = nullptr;
        return false;
    }
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    graphics_ = std::move(graphics);
    bits_ = bits;
    width_ = width;
    height_ = height;
    bytesPerPixel_ = bytesPerPixel;
    stride_ = (static_cast<std::size_t>(width) * bytesPerPixel + 3) / 4 * 4;
    return true;
}

void WTMemoryCanvas::Release()
{
    graphics_.reset(); // it draws on the DC, so it goes first
    if (dc_ && previous_) {
        ::SelectObject(dc_.Get(), previous_);
    }
    previous_ = nullptr;
    bitmap_.Reset();
    dc_.Reset();
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
    stride_ = 0;
}

void WTMemoryCanvas::Clear()
{
    if (!bits_) {
        return;
    }
    if (graphics_) {
        graphics_->Flush(Gdiplus::FlushIntentionSync);
    }
    ::GdiFlush();
    std::memset(bits_, 0, stride_ * static_cast<std::size_t>(height_));
}

std::uint32_t WTMemoryCanvas::Pixel(int x, int y) const
{
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    if (graphics_) {
        graphics_->Flush(Gdiplus::FlushIntentionSync);
    }
    ::GdiFlush();
    const auto* pixel = static_cast<const unsigned char*>(bits_) + static_cast<std::size_t>(height_ - 1 - y) * stride_
        + static_cast<std::size_t>(x) * bytesPerPixel_;
    const std::uint32_t alpha = bytesPerPixel_ == 4 ? pixel[3] : 0;
    return alpha << 24 | static_cast<std::uint32_t>(pixel[2]) << 16 | static_cast<std::uint32_t>(pixel[1]) << 8
        | pixel[0];
}
