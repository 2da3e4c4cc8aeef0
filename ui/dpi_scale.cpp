#include "ui/dpi_scale.h"

namespace dpi {

namespace {

int RoundedRatio(long long numerator, long long denominator)
{
    const long long half = denominator / 2;
    return static_cast<int>(numerator >= 0 ? (numerator + half) / denominator : (numerator - half) / denominator);
}

} // namespace

int Scale(int value, unsigned dpi) { return RoundedRatio(static_cast<long long>(value) * dpi, kBase); }

int PicturePercent(unsigned dpi)
{
    if (dpi <= kBase) {
        return 100;
    }
    if (dpi * 2 <= kBase * 3) {
        return 150;
    }
    return 200;
}

int ShownSize(int size, int percent, unsigned dpi)
{
    if (percent <= 0) {
        return size;
    }
    return RoundedRatio(static_cast<long long>(size) * dpi * 100, static_cast<long long>(kBase) * percent);
}

} // namespace dpi
