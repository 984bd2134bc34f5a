#include "window_support/cdib_section.h"

#include <algorithm>
#include <limits>

namespace quelm {

long cDIBSection::BytesPerScanLine() const
{
    return (width_ * 3 + 3) & ~3L;
}

bool cDIBSection::CreateDIB(long lWidth, long lHeight, long& hDib)
{
    hDib = 0;
    if (lWidth <= 0 || lHeight <= 0)
        return false;
    const long row = (lWidth * 3 + 3) & ~3L;
    if (row > std::numeric_limits<int>::max() / lHeight)
        return false; // far beyond any panel picture
    width_ = lWidth;
    height_ = lHeight;
    bits_ = QByteArray(static_cast<qsizetype>(row * lHeight), '\0');
    static long nextHandle = 0;
    hDib = ++nextHandle;
    return true;
}

bool cDIBSection::Create(long lWidth, long lHeight)
{
    ClearUp();
    if (CreateDIB(lWidth, lHeight, dibHandle_))
        return true;
    width_ = height_ = 0;
    return false;
}

void cDIBSection::CreateFromPicture(const QImage& picThis)
{
    if (picThis.isNull() || !Create(picThis.width(), picThis.height()))
        return;
    LoadPictureBlt(picThis);
}

void cDIBSection::LoadPictureBlt(const QImage& source, long lSrcLeft, long lSrcTop, long lSrcWidth,
                                 long lSrcHeight)
{
    if (dibHandle_ == 0)
        return;
    const long w = lSrcWidth < 0 ? width_ : std::min(lSrcWidth, width_);
    const long h = lSrcHeight < 0 ? height_ : std::min(lSrcHeight, height_);
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    const long stride = BytesPerScanLine();
    for (long y = 0; y < h; ++y) {
        const long sy = lSrcTop + y;
        if (sy < 0 || sy >= rgb.height())
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(sy)));
        // Row 0 of the bitmap is the bottom row of what is copied.
        unsigned char* out = reinterpret_cast<unsigned char*>(bits_.data()) + (height_ - 1 - y) * stride;
        for (long x = 0; x < w; ++x) {
            const long sx = lSrcLeft + x;
            if (sx < 0 || sx >= rgb.width())
                continue;
            const QRgb p = line[sx];
            out[3 * x] = static_cast<unsigned char>(qBlue(p));
            out[3 * x + 1] = static_cast<unsigned char>(qGreen(p));
            out[3 * x + 2] = static_cast<unsigned char>(qRed(p));
        }
    }
}

const unsigned char* cDIBSection::DIBSectionBitsPtr() const
{
    return dibHandle_ ? reinterpret_cast<const unsigned char*>(bits_.constData()) : nullptr;
}

void cDIBSection::ClearUp()
{
    bits_.clear();
    dibHandle_ = 0;
}

} // namespace quelm
