#pragma once

#include <memory>

#include <QImage>
#include <QPoint>
#include <QRegion>

class QWidget;

namespace quelm {

class cDIBSection;

// The window's outline cut from a picture: the region of the pixels whose colour
// differs from the transparent colour.
class Region {
public:
    Region();
    ~Region();

    // In window coordinates once OffsetHeader has run.
    QRegion hndRegion;

    // Gives the window a copy of the region as its mask and redraws it.
    void ApplyRgn(QWidget* hwnd);
    // transColor is a colour value with blue in its lowest byte (the first stored
    // byte of a pixel); 1 asks for the bottom-left pixel's colour, which is then
    // written back.
    void ScanPicture(const QImage& picture, unsigned int& transColor);
    void ScanPicture(const QImage& picture)
    {
        unsigned int c = 1;
        ScanPicture(picture, c);
    }
    // Moves the region by the window's frame; a window without frame stays as it is.
    void OffsetHeader(QWidget& tmpForm);

    const cDIBSection* scanDib() const { return scanDib_.get(); }

private:
    std::unique_ptr<cDIBSection> scanDib_;
    QPoint frameOffset_;
};

} // namespace quelm
