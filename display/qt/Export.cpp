#include "display/qt/Export.h"

#include <QBuffer>
#include <QDateTime>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QTimeZone>
#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/qt/OutputFile.h"
#include "display/qt/PainterSurface.h"
#include "settings/Units.h"

namespace
{
// A device unit of 0.01 mm: the drawing's own units, so vector output needs no scaling.
constexpr int UnitsPerInch = 2540;
// Rows of an image painted at a time.
constexpr long long BandRows = 4096;
// How far beyond its band a band is painted: more than a line of the score reaches.
constexpr double BandMarginMm = 40.0;

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
    // is packed into bits. The grey is one strip of rows reused band after band, which
    // keeps its memory small and Qt's clipping cheap (its cost grows with the device's
    // height); the painter is moved up by whole pixels, so every band gets exactly the
    // pixels a single tall paint would give it.
    const int rows = static_cast<int>(std::min<long long>(height, BandRows));
    // Shapes that cross a band's edge are drawn whole into rows above and below it that
    // are then thrown away: Qt clips outlines at the device's edge in ways that move
    // pixels far from it.
    const int margin = static_cast<int>(std::ceil(BandMarginMm / 25.4 * dpi)) + 4;
    QImage grey(static_cast<int>(width), rows + 2 * margin, QImage::Format_Grayscale8);
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_Mono);
    if (grey.isNull() || image.isNull()) {
        error = "not enough memory for the image";
        return {};
    }
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    for (QImage* target : {&grey, &image}) {
        target->setDotsPerMeterX(dotsPerMetre);
        target->setDotsPerMeterY(dotsPerMetre);
    }
    // Index 1 is black; a set bit is a pixel darker than mid-grey.
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const double scale = dpi / UnitsPerInch;
    for (int top = 0; top < image.height(); top += rows) {
        grey.fill(255);
        QPainter painter(&grey);
        if (!painter.isActive()) {
            error = "cannot paint on the image";
            return {};
        }
        painter.translate(0, margin - top);
        // The rows painted, margins included, in logical y, rounded outward.
        const int bottom = std::min(top + rows, image.height());
        const CBand band{SatAdd(TruncSat(std::ceil((margin - top) / scale)), 1),
                         SatSub(TruncSat(std::floor(-(bottom + margin) / scale)), 1)};
        {
            CPainterSurface surface(painter, {scale, CPainterSurface::Target::Raster, false, margin});
            draw(surface, band);
        }
        painter.end();
        for (int y = top; y < bottom; ++y)
            PackDarkPixels(grey.constScanLine(y - top + margin), image.scanLine(y), image.width());
    }
    return image;
}

namespace
{
// The PDF's creation date: SOURCE_DATE_EPOCH when set (the reproducible-builds
// convention), else now; in UTC either way, so the bytes do not depend on the machine's
// time zone.
bool CreationDigits(QByteArray& digits, std::string& error)
{
    qint64 seconds = QDateTime::currentSecsSinceEpoch();
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        // Up to the last second of year 9999, the last a PDF date can hold.
        constexpr qint64 Last = 253402300799;
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(epoch, &end, 10);
        if (*end != '\0' || errno != 0 || value < 0 || value > Last || !std::isdigit(static_cast<unsigned char>(*epoch))) {
            error = "SOURCE_DATE_EPOCH is not a number of seconds since 1970 up to year 9999";
            return false;
        }
        seconds = value;
    }
    digits = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    return true;
}

// QPdfWriter writes the current local time and has no way to set it: the date is
// overwritten in place with the same number of bytes, so the cross-reference offsets
// stay right. Its zone is "Z" or "+HH'mm'"; either becomes UTC.
bool StampCreationDate(QByteArray& pdf, std::string& error)
{
    static const QByteArray Key = "/CreationDate (D:";
    const qsizetype key = pdf.indexOf(Key);
    if (key < 0)
        return true;
    const qsizetype start = key + Key.size();
    const qsizetype end = pdf.indexOf(')', start);
    QByteArray date;
    if (end < 0 || !CreationDigits(date, error))
        return end < 0;
    const qsizetype zone = end - start - date.size();
    if (zone == 1)
        date += 'Z';
    else if (zone == 7)
        date += "+00'00'";
    else
        return true;  // a form this code does not know: left as Qt wrote it
    pdf.replace(start, date.size(), date);
    return true;
}
}  // namespace

bool EncodePng(QByteArray& out, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
               std::string& error)
{
    const QImage image = RenderMonoImage(widthMm, heightMm, dpi, draw, error);
    if (image.isNull())
        return false;
    // zlib level 2 (Qt's PNG quality 75): a whole score of 180,000 rows compresses 2.4
    // times faster than at the default level 6, into a file 30 % larger (2.4 MB).
    constexpr int PngQuality = 75;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG", PngQuality)) {
        error = "the PNG encoder failed";
        return false;
    }
    return true;
}

bool EncodePdf(QByteArray& out, double pageWidthMm, double pageHeightMm, int pageCount, const CPageDrawer& draw,
               std::string& error)
{
    if (!CheckLength("the page width", pageWidthMm, MaxPdfPageMm, error) ||
        !CheckLength("the page height", pageHeightMm, MaxPdfPageMm, error))
        return false;
    if (pageCount < 1 || pageCount > MaxPdfPages) {
        error = "the page count must be between 1 and " + std::to_string(MaxPdfPages);
        return false;
    }
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(UnitsPerInch);
        writer.setPageSize(QPageSize(QSizeF(pageWidthMm, pageHeightMm), QPageSize::Millimeter, QString(),
                                     QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setCreator(QStringLiteral("Plekto"));

        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "the PDF writer cannot start";
            return false;
        }
        for (int page = 1; page <= pageCount; ++page) {
            if (page > 1)
                writer.newPage();
            CPainterSurface surface(painter, {1.0, CPainterSurface::Target::Vector, true});
            draw(surface, page);
        }
        if (!painter.end()) {
            error = "the PDF writer cannot finish";
            return false;
        }
    }
    return StampCreationDate(out, error);
}

bool EncodeSvg(QByteArray& out, double widthMm, double heightMm, const CPictureDrawer& draw, std::string& error)
{
    if (!CheckLength("the width", widthMm, MaxSvgSideMm, error) ||
        !CheckLength("the height", heightMm, MaxSvgSideMm, error))
        return false;
    const int width = static_cast<int>(std::ceil(widthMm * 100.0 - 1e-9));
    const int height = static_cast<int>(std::ceil(heightMm * 100.0 - 1e-9));
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(UnitsPerInch);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(QStringLiteral("Plekto"));

    QPainter painter;
    if (!painter.begin(&generator)) {
        error = "the SVG writer cannot start";
        return false;
    }
    {
        CPainterSurface surface(painter, {1.0, CPainterSurface::Target::Vector, true});
        draw(surface, std::nullopt);
    }
    if (!painter.end()) {
        error = "the SVG writer cannot finish";
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
              std::string& error)
{
    QByteArray bytes;
    return EncodePng(bytes, widthMm, heightMm, dpi, draw, error) && WriteOutputFile(path, bytes, error);
}

bool WritePdf(const std::string& path, double pageWidthMm, double pageHeightMm, int pageCount,
              const CPageDrawer& draw, std::string& error)
{
    QByteArray bytes;
    return EncodePdf(bytes, pageWidthMm, pageHeightMm, pageCount, draw, error) && WriteOutputFile(path, bytes, error);
}

bool WriteSvg(const std::string& path, double widthMm, double heightMm, const CPictureDrawer& draw,
              std::string& error)
{
    QByteArray bytes;
    return EncodeSvg(bytes, widthMm, heightMm, draw, error) && WriteOutputFile(path, bytes, error);
}
