#include "platform/charset.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

class IconvDescriptor {
public:
    IconvDescriptor(const char* to, const char* from)
        : cd_(::iconv_open(to, from))
    {
    }
    ~IconvDescriptor()
    {
        if (ok()) {
            ::iconv_close(cd_);
        }
    }
    IconvDescriptor(const IconvDescriptor&) = delete;
    IconvDescriptor& operator=(const IconvDescriptor&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

} // namespace

std::string Utf8ToGbk(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    IconvDescriptor cd("GBK", "UTF-8");
    if (!cd.ok()) {
        return {};
    }
    // A GBK character never takes more bytes than its UTF-8 form (1 for ASCII, 2 for 2 or 3),
    // so one output buffer of the input's size always suffices.
    std::string out(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data()); // iconv's prototype is not const-correct; it only reads
    std::size_t inLeft = utf8.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    if (::iconv(cd.get(), &in, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return {}; // EILSEQ (invalid or unmappable) or EINVAL (cut-off sequence)
    }
    if (::iconv(cd.get(), nullptr, nullptr, &outAt, &outLeft) == static_cast<std::size_t>(-1)) {
        return {};
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace platform
