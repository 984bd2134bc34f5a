#include <algorithm>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "window_support/cdib_section.h"
#include "window_support/region.h"

using namespace quelm;

namespace {

// A picture of one colour with some pixels set to another.
QImage picture(int w, int h, QRgb fill, std::initializer_list<std::pair<QPoint, QRgb>> pixels = {})
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    for (const auto& [at, colour] : pixels)
        img.setPixel(at, colour);
    return img;
}

const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kGrey = qRgb(60, 60, 60);

TEST(RegionScan, AllTransparentGivesAnEmptyRegion)
{
    Region r;
    r.ScanPicture(picture(9, 5, kGrey));
    EXPECT_TRUE(r.hndRegion.isEmpty());
}

TEST(RegionScan, CoversExactlyTheOpaquePixels)
{
    // last pixel of the top row alone, and a run from column 3 to the right edge
    const QImage img = picture(8, 4, kMagenta, {{{7, 0}, kGrey}, {{3, 2}, kGrey}, {{4, 2}, kGrey},
                                                 {{5, 2}, kGrey}, {{6, 2}, kGrey}, {{7, 2}, kGrey},
                                                 {{1, 3}, kGrey}, {{3, 3}, kGrey}});
    Region r;
    r.ScanPicture(img);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            EXPECT_EQ(r.hndRegion.contains(QPoint(x, y)), img.pixel(x, y) != kMagenta) << x << "," << y;
    // one rectangle per run, the run to the right edge included
    const std::vector<QRect> rects(r.hndRegion.begin(), r.hndRegion.end());
    EXPECT_NE(std::find(rects.begin(), rects.end(), QRect(7, 0, 1, 1)), rects.end());
    EXPECT_NE(std::find(rects.begin(), rects.end(), QRect(3, 2, 5, 1)), rects.end());
}

TEST(RegionScan, TransColourOneHandsBackTheBottomLeftColour)
{
    Region r;
    unsigned int trans = 1;
    r.ScanPicture(picture(4, 3, qRgb(0x11, 0x22, 0x33), {{{0, 0}, kGrey}}), trans);
    EXPECT_EQ(trans, 0x00112233u); // blue (0x33) in the lowest byte, red in the highest
    EXPECT_EQ(r.hndRegion, QRegion(0, 0, 1, 1));
}

TEST(RegionScan, ExplicitColourComparesTheFirstStoredByteAsBlue)
{
    // 255 has only the first stored byte set: pure blue is transparent, pure red is not
    const QImage img = picture(3, 1, qRgb(0, 0, 255), {{{2, 0}, qRgb(255, 0, 0)}});
    Region r;
    unsigned int trans = 255;
    r.ScanPicture(img, trans);
    EXPECT_EQ(trans, 255u);
    EXPECT_EQ(r.hndRegion, QRegion(2, 0, 1, 1));
}

TEST(RegionScan, NullPictureLeavesAnEmptyRegionAndTheColour)
{
    Region r;
    unsigned int trans = 1;
    r.ScanPicture(QImage(), trans);
    EXPECT_TRUE(r.hndRegion.isEmpty());
    EXPECT_EQ(trans, 1u);
}

TEST(DibSection, BottomUpRowsPaddedToFourBytes)
{
    cDIBSection dib;
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    dib.ClearUp(); // on an empty bitmap: nothing but zero handles
    EXPECT_EQ(dib.dibHandle(), 0);

    dib.CreateFromPicture(picture(5, 2, kMagenta, {{{1, 0}, qRgb(1, 2, 3)}}));
    ASSERT_NE(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.Width(), 5);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.BytesPerScanLine(), 16); // 15 bytes padded
    // the picture's top row is the bitmap's row 1, stored blue, green, red
    const unsigned char* top = dib.DIBSectionBitsPtr() + 16;
    EXPECT_EQ(top[3], 3);
    EXPECT_EQ(top[4], 2);
    EXPECT_EQ(top[5], 1);
    dib.ClearUp();
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
}

} // namespace
