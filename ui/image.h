// Decoded pictures, and cutting button states out of picture strips.
#pragma once

#include "platform/win.h"
#include <gdiplus.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"

// One decoded picture. Loaded from bytes it keeps its own copy of them, since
// GDI+ may read the stream again while the picture lives.
class WTImage {
public:
    WTImage();
    ~WTImage();
    WTImage(const WTImage&) = delete;
    WTImage& operator=(const WTImage&) = delete;
    WTImage(WTImage&&) noexcept;
    WTImage& operator=(WTImage&&) noexcept;

    bool LoadFromFile(const std::wstring& path, bool useIcm = false);
    bool LoadFromBytes(const unsigned char* data, std::size_t size);
    bool LoadFromBytes(const std::vector<unsigned char>& bytes) { return LoadFromBytes(bytes.data(), bytes.size()); }
    void Dispose();

    bool IsLoaded() const { return bitmap_ != nullptr; }
    int Width() const;
    int Height() const;
    // The encoded format it was read from (ImageFormatPNG, ...); GUID_NULL when empty.
    GUID RawFormat() const;
    Gdiplus::Bitmap* Native() const { return bitmap_.get(); }

private:
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    platform::ComPtr<IStream> stream_;
};

// Encoded picture bytes together with their decoded picture, decoded once at its first use:
// a state that is never drawn (a hidden panel, a button never hovered) costs no decoding time
// and holds no pixels. UI thread only.
class WTPicture {
public:
    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    // Bytes that do not decode are kept but draw nothing.
    void Set(std::vector<unsigned char> bytes);
    const WTImage& Image() const;

private:
    std::vector<unsigned char> bytes_;
    mutable WTImage image_;
    mutable bool decoded_ = true; // nothing to decode yet
};

// The encoder for an image format GUID (ImageFormatPNG, ...).
bool FindImageEncoder(const GUID& format, CLSID* encoder);

// The picture encoded in the given format; empty when that fails.
std::vector<unsigned char> EncodeImage(Gdiplus::Image& image, const GUID& format);

// How a button picture file holds its three states.
enum class PictureLayout {
    Strip3H, // side by side, each a third of the width
    Strip3V, // stacked, each a third of the height
    Whole, // one picture for all states
};

enum class PictureState { Usual = 0, Light = 1, Down = 2 };

// The state's part of a picture strip as a picture of its own, encoded like the source.
// A whole picture comes back unchanged; undecodable bytes or a strip too small give empty bytes.
std::vector<unsigned char> CutStatePicture(
    const std::vector<unsigned char>& bytes, PictureLayout layout, PictureState state);
// The same from a strip decoded already, so cutting three states decodes it once. Empty for a
// whole picture.
std::vector<unsigned char> CutDecodedStatePicture(const WTImage& source, PictureLayout layout, PictureState state);
