#pragma once

#include <QImage>
#include <QRegion>

class QWidget;

namespace quelm {

// The window's outline cut from a picture: the region of the pixels whose colour
// differs from the transparent colour.
class Region {
public:
    QRegion hndRegion;
    // transColor 1: take the colour of the bottom-left pixel (written back).
    void ScanPicture(const QImage& picture, unsigned int& transColor);
    void OffsetHeader(QWidget& tmpForm);
    void ApplyRgn(QWidget* hwnd);
};

} // namespace quelm
