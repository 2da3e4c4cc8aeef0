#include "ui/image.h"

#include <cstring>

#include "ui/drawing.h"

WTImage::WTImage() = default;
WTImage::~WTImage() { Dispose(); }
WTImage::WTImage(WTImage&&) noexcept = default;
WTImage& WTImage::operator=(WTImage&&) noexcept = default;

bool WTImage::LoadFromFile(const std::wstring& path, bool useIcm)
{
    Dispose();
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(path.c_str(), useIcm ? TRUE : FALSE));
    if (!bitmap || !WTRecordStatus(bitmap->GetLastStatus())) {
        return false;
    }
    bitmap_ = std::move(bitmap);
    return true;
}

bool WTImage::LoadFromBytes(const unsigned char* data, std::size_t size)
{
    Dispose();
    if (!data || size == 0) {
        WTRecordStatus(Gdiplus::InvalidParameter);
        return false;
    }
    platform::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) {
        WTRecordStatus(Gdiplus::OutOfMemory);
        return false;
    }
    if (void* target = ::GlobalLock(block.Get())) {
        std::memcpy(target, data, size);
        ::GlobalUnlock(block.Get());
    } else {
        WTRecordStatus(Gdiplus::OutOfMemory);
        return false;
    }
    platform::ComPtr<IStream> stream;
    // The stream owns the block from here on.
    if (FAILED(::CreateStreamOnHGlobal(block.Get(), TRUE, stream.Put()))) {
        WTRecordStatus(Gdiplus::OutOfMemory);
        return false;
    }
    block.Release();
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (!bitmap || !WTRecordStatus(bitmap->GetLastStatus())) {
        return false;
    }
    bitmap_ = std::move(bitmap);
    stream_ = std::move(stream);
    return true;
}

void WTImage::Dispose()
{
    bitmap_.reset(); // before its stream
    stream_.Reset();
}

int WTImage::Width() const { return bitmap_ ? static_cast<int>(bitmap_->GetWidth()) : 0; }

int WTImage::Height() const { return bitmap_ ? static_cast<int>(bitmap_->GetHeight()) : 0; }

GUID WTImage::RawFormat() const
{
    GUID format = GUID_NULL;
    if (bitmap_) {
        WTRecordStatus(bitmap_->GetRawFormat(&format));
    }
    return format;
}

void WTPicture::Set(std::vector<unsigned char> bytes)
{
    bytes_ = std::move(bytes);
    image_.Dispose();
    decoded_ = bytes_.empty();
}

const WTImage& WTPicture::Image() const
{
    if (!decoded_) {
        decoded_ = true; // once: bytes that do not decode are not tried again at every paint
        image_.LoadFromBytes(bytes_);
    }
    return image_;
}

bool FindImageEncoder(const GUID& format, CLSID* encoder)
{
    UINT count = 0;
    UINT size = 0;
    if (!WTRecordStatus(Gdiplus::GetImageEncodersSize(&count, &size)) || count == 0 || size == 0) {
        return false;
    }
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!WTRecordStatus(Gdiplus::GetImageEncoders(count, size, codecs))) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].FormatID == format) {
            *encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

std::vector<unsigned char> EncodeImage(Gdiplus::Image& image, const GUID& format)
{
    CLSID encoder{};
    if (!FindImageEncoder(format, &encoder)) {
        return {};
    }
    platform::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) {
        return {};
    }
    if (!WTRecordStatus(image.Save(stream.Get(), &encoder, nullptr))) {
        return {};
    }
    HGLOBAL block = nullptr;
    STATSTG stat{};
    if (FAILED(::GetHGlobalFromStream(stream.Get(), &block)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return {};
    }
    const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    std::vector<unsigned char> bytes(size);
    if (size != 0) {
        const void* source = ::GlobalLock(block);
        if (!source) {
            return {};
        }
        std::memcpy(bytes.data(), source, size);
        ::GlobalUnlock(block);
    }
    return bytes;
}

std::vector<unsigned char> CutStatePicture(
    const std::vector<unsigned char>& bytes, PictureLayout layout, PictureState state)
{
    if (layout == PictureLayout::Whole) {
        return bytes;
    }
    WTImage source;
    if (!source.LoadFromBytes(bytes)) {
        return {};
    }
    return CutDecodedStatePicture(source, layout, state);
}

std::vector<unsigned char> CutDecodedStatePicture(const WTImage& source, PictureLayout layout, PictureState state)
{
    if (layout == PictureLayout::Whole || !source.IsLoaded()) {
        return {};
    }
    const int index = static_cast<int>(state);
    int x = 0;
    int y = 0;
    int width = source.Width();
    int height = source.Height();
    // A state's size is truncated first; the states start at whole multiples of it.
    if (layout == PictureLayout::Strip3H) {
        width /= 3;
        x = index * width;
    } else {
        height /= 3;
        y = index * height;
    }
    if (width <= 0 || height <= 0) {
        return {};
    }
    Gdiplus::PixelFormat format = source.Native()->GetPixelFormat();
    if (format == PixelFormatUndefined) {
        format = PixelFormat32bppARGB;
    }
    // Copying the pixel area keeps every pixel as it was, alpha and palette included.
    std::unique_ptr<Gdiplus::Bitmap> cut(source.Native()->Clone(x, y, width, height, format));
    if (!cut || !WTRecordStatus(cut->GetLastStatus())) {
        return {};
    }
    std::vector<unsigned char> encoded = EncodeImage(*cut, source.RawFormat());
    if (encoded.empty()) {
        // A source format GDI+ reads but cannot write (an icon, say) still gives a usable picture.
        encoded = EncodeImage(*cut, Gdiplus::ImageFormatPNG);
    }
    return encoded;
}
