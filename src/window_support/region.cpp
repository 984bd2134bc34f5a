#include "window_support/region.h"

#include <QWidget>

#include "platform/conversions.h"
#include "window_support/cdib_section.h"

namespace quelm {

Region::Region() = default;
Region::~Region() = default;

void Region::ScanPicture(const QImage& picture, unsigned int& transColor)
{
    hndRegion = QRegion();
    frameOffset_ = {};
    if (!scanDib_)
        scanDib_ = std::make_unique<cDIBSection>();
    scanDib_->CreateFromPicture(picture);
    const unsigned char* bits = scanDib_->DIBSectionBitsPtr();
    if (!bits)
        return; // nothing to read: an empty outline, the colour left as given
    const long w = scanDib_->Width();
    const long h = scanDib_->Height();
    const long stride = scanDib_->BytesPerScanLine();
    auto colour = [](const unsigned char* p) {
        return static_cast<unsigned int>(p[0]) | (static_cast<unsigned int>(p[1]) << 8)
            | (static_cast<unsigned int>(p[2]) << 16);
    };
    if (transColor == 1)
        transColor = colour(bits);

    QRegion out;
    for (long y = 0; y < h; ++y) {
        const unsigned char* row = bits + y * stride;
        const int top = static_cast<int>(h - 1 - y);
        long x = 0;
        while (x < w) {
            while (x < w && colour(row + 3 * x) == transColor)
                ++x;
            if (x >= w)
                break;
            const long a = x;
            while (x < w && colour(row + 3 * x) != transColor)
                ++x;
            out += QRect(static_cast<int>(a), top, static_cast<int>(x - a), 1);
        }
    }
    hndRegion = out;
}

void Region::OffsetHeader(QWidget& tmpForm)
{
    if (tmpForm.windowFlags().testFlag(Qt::FramelessWindowHint))
        return;
    const QRect outer = tmpForm.frameGeometry();
    const double dx = conv::roundHalfEven((outer.width() - tmpForm.width()) / 2.0);
    const double dy = conv::roundHalfEven((outer.height() - tmpForm.height()) - dx);
    frameOffset_ = QPoint(static_cast<int>(dx), static_cast<int>(dy));
    hndRegion.translate(frameOffset_);
}

void Region::ApplyRgn(QWidget* hwnd)
{
    if (!hwnd)
        return;
    // A widget's mask is measured from its client area, so the frame shift is
    // taken back off the copy that the window gets.
    const QRegion copy = hndRegion.translated(-frameOffset_);
    hwnd->setMask(copy);
    hwnd->update();
}

} // namespace quelm
