#pragma once

// A 24-bit bitmap laid out as a bottom-up device-independent bitmap: rows from
// the bottom row up, each padded to a multiple of four bytes, pixels stored as
// blue, green, red. The outline scan reads these bytes in place.

#include <QByteArray>
#include <QImage>

namespace quelm {

class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection() { ClearUp(); }
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Makes the pixel memory for lWidth x lHeight; hDib receives a non-zero
    // handle when it was made.
    bool CreateDIB(long lWidth, long lHeight, long& hDib);
    // Copies a picture into a bitmap of its own size. A null picture leaves the
    // bitmap empty.
    void CreateFromPicture(const QImage& picThis);
    bool Create(long lWidth, long lHeight);

    long BytesPerScanLine() const;
    long Width() const { return width_; }
    long Height() const { return height_; }

    // Copies a rectangle of `source` (negative sizes: the bitmap's own) to the
    // bitmap's corner.
    void LoadPictureBlt(const QImage& source, long lSrcLeft = 0, long lSrcTop = 0, long lSrcWidth = -1,
                        long lSrcHeight = -1);
    const unsigned char* DIBSectionBitsPtr() const;
    void ClearUp();

    long dibHandle() const { return dibHandle_; }

private:
    QByteArray bits_;
    long dibHandle_ = 0;
    long width_ = 0;
    long height_ = 0;
};

} // namespace quelm
