#include "display/qt/Export.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "display/qt/PainterSurface.h"

namespace
{
// A device unit of 0.01 mm: the drawing's own units, so vector output needs no scaling.
constexpr int UnitsPerInch = 2540;

bool CheckLength(const char* what, double mm, double maxMm, std::string& error)
{
    if (!std::isfinite(mm) || mm <= 0.0) {
        error = std::string(what) + " must be a positive number of millimetres";
        return false;
    }
    if (mm > maxMm) {
        error = std::string(what) + " is larger than " + std::to_string(static_cast<long long>(maxMm)) + " mm";
        return false;
    }
    return true;
}

// Pixels covering mm at dpi, at least one; 0 when beyond the side bound.
long long PixelsFor(double mm, double dpi)
{
    const double pixels = std::ceil(mm / 25.4 * dpi - 1e-9);
    if (!(pixels <= static_cast<double>(MaxImageSide)))
        return 0;
    return pixels < 1.0 ? 1 : static_cast<long long>(pixels);
}
// One row of 8-bit grey into 1-bit pixels, the first pixel in the high bit: a bit is set
// where the grey is below 128, that is where its top bit is clear. Eight pixels at a
// time: the top bits are gathered into one byte by a multiplication, which moves pixel i
// (byte i of the word) to bit 63 - i and makes no carries.
void PackDarkPixels(const uchar* grey, uchar* bits, int width)
{
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 8 <= width; x += 8) {
            uint64_t word;
            std::memcpy(&word, grey + x, sizeof word);
            const uint64_t dark = (~word & 0x8080808080808080ULL) >> 7;
            *bits++ = static_cast<uchar>((dark * 0x8040201008040201ULL) >> 56);
        }
    }
    for (uchar byte = 0; x < width; ++x) {
        byte = static_cast<uchar>(byte | ((grey[x] < 128 ? 1u : 0u) << (7 - x % 8)));
        if (x % 8 == 7 || x + 1 == width) {
            *bits++ = byte;
            byte = 0;
        }
    }
}
}  // namespace

QImage RenderMonoImage(double widthMm, double heightMm, double dpi, const CPictureDrawer& draw, std::string& error)
{
    if (!std::isfinite(dpi) || dpi < MinImageDpi || dpi > MaxImageDpi) {
        error = "the resolution must be between " + std::to_string(static_cast<int>(MinImageDpi)) + " and " +
                std::to_string(static_cast<int>(MaxImageDpi)) + " dpi";
        return {};
    }
    // Lengths are bounded by the pixel bounds below; the millimetre check only refuses
    // what is not a length at all.
    if (!CheckLength("the width", widthMm, 1e12, error) || !CheckLength("the height", heightMm, 1e12, error))
        return {};
    const long long width = PixelsFor(widthMm, dpi);
    const long long height = PixelsFor(heightMm, dpi);
    if (width == 0 || height == 0 || width * height > MaxImagePixels) {
        error = "the image would exceed " + std::to_string(MaxImagePixels) + " pixels or " +
                std::to_string(MaxImageSide) + " pixels on a side";
        return {};
    }
    // Painting straight onto 1-bit pixels is not reproducible: Qt hands runs of pixels to
    // several threads, which then write into shared bytes. Bytes of their own are safe, so
    // the drawing goes onto 8-bit grey (no antialiasing: every pixel black or white) and
    // is packed into bits once afterwards.
    QImage grey(static_cast<int>(width), static_cast<int>(height), QImage::Format_Grayscale8);
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_Mono);
    if (grey.isNull() || image.isNull()) {
        error = "not enough memory for the image";
        return {};
    }
    grey.fill(255);
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    for (QImage* target : {&grey, &image}) {
        target->setDotsPerMeterX(dotsPerMetre);
        target->setDotsPerMeterY(dotsPerMetre);
    }

    QPainter painter(&grey);
    if (!painter.isActive()) {
        error = "cannot paint on the image";
        return {};
    }
    {
        CPainterSurface surface(painter, {dpi / UnitsPerInch, CPainterSurface::Target::Raster, false});
        draw(surface);
    }
    painter.end();
    // Index 1 is black; a set bit is a pixel darker than mid-grey.
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < image.height(); ++y)
        PackDarkPixels(grey.constScanLine(y), image.scanLine(y), image.width());
    grey = QImage();
    return image;
}

bool WritePng(const std::string& path, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
              std::string& error)
{
    const QImage image = RenderMonoImage(widthMm, heightMm, dpi, draw, error);
    if (image.isNull())
        return false;
    if (!image.save(QString::fromStdString(path), "PNG")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool WritePdf(const std::string& path, double pageWidthMm, double pageHeightMm, int pageCount,
              const CPageDrawer& draw, std::string& error)
{
    if (!CheckLength("the page width", pageWidthMm, MaxVectorPageMm, error) ||
        !CheckLength("the page height", pageHeightMm, MaxVectorPageMm, error))
        return false;
    if (pageCount < 1 || pageCount > MaxPdfPages) {
        error = "the page count must be between 1 and " + std::to_string(MaxPdfPages);
        return false;
    }
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(UnitsPerInch);
    writer.setPageSize(QPageSize(QSizeF(pageWidthMm, pageHeightMm), QPageSize::Millimeter, QString(),
                                 QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setCreator(QStringLiteral("Plekto"));

    QPainter painter;
    if (!painter.begin(&writer)) {
        error = "cannot write " + path;
        return false;
    }
    for (int page = 1; page <= pageCount; ++page) {
        if (page > 1)
            writer.newPage();
        CPainterSurface surface(painter, {1.0, CPainterSurface::Target::Vector, true});
        draw(surface, page);
    }
    if (!painter.end()) {
        error = "cannot finish " + path;
        return false;
    }
    return true;
}

bool WriteSvg(const std::string& path, double widthMm, double heightMm, const CPictureDrawer& draw,
              std::string& error)
{
    if (!CheckLength("the width", widthMm, MaxVectorPageMm, error) ||
        !CheckLength("the height", heightMm, MaxVectorPageMm, error))
        return false;
    const int width = static_cast<int>(std::ceil(widthMm * 100.0 - 1e-9));
    const int height = static_cast<int>(std::ceil(heightMm * 100.0 - 1e-9));
    QSvgGenerator generator;
    generator.setFileName(QString::fromStdString(path));
    generator.setResolution(UnitsPerInch);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(QStringLiteral("Plekto"));

    QPainter painter;
    if (!painter.begin(&generator)) {
        error = "cannot write " + path;
        return false;
    }
    {
        CPainterSurface surface(painter, {1.0, CPainterSurface::Target::Vector, true});
        draw(surface);
    }
    if (!painter.end()) {
        error = "cannot finish " + path;
        return false;
    }
    return true;
}
