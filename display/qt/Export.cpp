#include "display/qt/Export.h"

#include <QBuffer>
#include <QDateTime>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QThreadPool>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>
#include <zlib.h>

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

namespace
{
// The pixel size of a picture, or 0 x 0 with `error` set when it is refused.
struct CPixels
{
    long long Width = 0;
    long long Height = 0;
};

CPixels ImagePixels(double widthMm, double heightMm, double dpi, std::string& error)
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
    return {width, height};
}

int DotsPerMetre(double dpi) { return static_cast<int>(std::lround(dpi / 0.0254)); }

// Rows of 1-bit pixels (first pixel in the high bit, a set bit dark), top to bottom.
struct CMonoRows
{
    const uchar* Bits;
    qsizetype BytesPerRow;
    int First;
    int Count;
};
using CMonoSink = std::function<bool(const CMonoRows&)>;

// Paints the picture band by band and hands each band's packed rows to `sink`; stops
// when the sink returns false.
//
// Painting straight onto 1-bit pixels is not reproducible: Qt hands runs of pixels to
// several threads, which then write into shared bytes. Bytes of their own are safe, so
// the drawing goes onto 8-bit grey (no antialiasing: every pixel black or white) and is
// packed into bits. The grey is one strip of rows reused band after band, which keeps its
// memory small and Qt's clipping cheap (its cost grows with the device's height); the
// painter is moved up by whole pixels, so every band gets exactly the pixels a single
// tall paint would give it.
bool PaintMonoBands(CPixels size, double dpi, const CPictureDrawer& draw, const CMonoSink& sink, std::string& error)
{
    const int width = static_cast<int>(size.Width);
    const int height = static_cast<int>(size.Height);
    const int rows = static_cast<int>(std::min<long long>(height, BandRows));
    // Shapes that cross a band's edge are drawn whole into rows above and below it that
    // are then thrown away: Qt clips outlines at the device's edge in ways that move
    // pixels far from it.
    const int margin = static_cast<int>(std::ceil(BandMarginMm / 25.4 * dpi)) + 4;
    QImage grey(width, rows + 2 * margin, QImage::Format_Grayscale8);
    const qsizetype bytesPerRow = (width + 7) / 8;
    std::vector<uchar> bits;
    try {
        bits.resize(static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(rows));
    } catch (const std::bad_alloc&) {
        grey = QImage();
    }
    if (grey.isNull()) {
        error = "not enough memory for the image";
        return false;
    }
    grey.setDotsPerMeterX(DotsPerMetre(dpi));
    grey.setDotsPerMeterY(DotsPerMetre(dpi));
    const double scale = dpi / UnitsPerInch;
    for (int top = 0; top < height; top += rows) {
        grey.fill(255);
        QPainter painter(&grey);
        if (!painter.isActive()) {
            error = "cannot paint on the image";
            return false;
        }
        painter.translate(0, margin - top);
        // The rows painted, margins included, in logical y, rounded outward.
        const int bottom = std::min(top + rows, height);
        const CBand band{SatAdd(TruncSat(std::ceil((margin - top) / scale)), 1),
                         SatSub(TruncSat(std::floor(-(bottom + margin) / scale)), 1)};
        {
            CPainterSurface surface(painter, {scale, CPainterSurface::Target::Raster, false, margin});
            draw(surface, band);
        }
        painter.end();
        for (int y = top; y < bottom; ++y)
            PackDarkPixels(grey.constScanLine(y - top + margin), bits.data() + (y - top) * bytesPerRow, width);
        if (!sink({bits.data(), bytesPerRow, top, bottom - top}))
            return false;
    }
    return true;
}
}  // namespace

QImage RenderMonoImage(double widthMm, double heightMm, double dpi, const CPictureDrawer& draw, std::string& error)
{
    const CPixels size = ImagePixels(widthMm, heightMm, dpi, error);
    if (size.Width == 0)
        return {};
    QImage image(static_cast<int>(size.Width), static_cast<int>(size.Height), QImage::Format_Mono);
    if (image.isNull()) {
        error = "not enough memory for the image";
        return {};
    }
    image.setDotsPerMeterX(DotsPerMetre(dpi));
    image.setDotsPerMeterY(DotsPerMetre(dpi));
    // Index 1 is black; a set bit is a pixel darker than mid-grey.
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const auto copy = [&image](const CMonoRows& band) {
        for (int i = 0; i < band.Count; ++i)
            std::memcpy(image.scanLine(band.First + i), band.Bits + i * band.BytesPerRow,
                        static_cast<std::size_t>(band.BytesPerRow));
        return true;
    };
    if (!PaintMonoBands(size, dpi, draw, copy, error))
        return {};
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

namespace
{
// A PNG of 1-bit palette pixels (index 0 white, 1 black, as RenderMonoImage's), written
// row by row. zlib's run-length strategy suits a page of mostly white rows: a whole
// score of 180,000 rows compresses several times faster than at the default level, into
// a file of about the same size.
class CPngStream
{
public:
    CPngStream(QByteArray& out, CPixels size, int dotsPerMetre) : Out(out)
    {
        Out.append("\x89PNG\r\n\x1A\n", 8);
        QByteArray header;
        AppendBig(header, static_cast<uint32_t>(size.Width));
        AppendBig(header, static_cast<uint32_t>(size.Height));
        header.append("\x01\x03\x00\x00\x00", 5);  // bit depth 1, palette, no interlace
        Chunk("IHDR", header);
        Chunk("PLTE", QByteArray("\xFF\xFF\xFF\x00\x00\x00", 6));
        QByteArray physical;
        AppendBig(physical, static_cast<uint32_t>(dotsPerMetre));
        AppendBig(physical, static_cast<uint32_t>(dotsPerMetre));
        physical.append('\x01');  // per metre
        Chunk("pHYs", physical);
        Ready = deflateInit2(&Stream, 2, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~CPngStream() { deflateEnd(&Stream); }
    CPngStream(const CPngStream&) = delete;
    CPngStream& operator=(const CPngStream&) = delete;

    bool Rows(const CMonoRows& rows)
    {
        // Each row starts with its filter type, 0 (none).
        Filtered.resize(static_cast<std::size_t>(rows.Count) * static_cast<std::size_t>(rows.BytesPerRow + 1));
        uchar* to = Filtered.data();
        for (int i = 0; i < rows.Count; ++i) {
            *to++ = 0;
            std::memcpy(to, rows.Bits + i * rows.BytesPerRow, static_cast<std::size_t>(rows.BytesPerRow));
            to += rows.BytesPerRow;
        }
        return Deflate(Filtered.data(), Filtered.size(), Z_NO_FLUSH);
    }

    bool Finish()
    {
        if (!Deflate(nullptr, 0, Z_FINISH))
            return false;
        Chunk("IEND", {});
        return true;
    }

private:
    static void AppendBig(QByteArray& to, uint32_t value)
    {
        const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                               static_cast<char>(value >> 8), static_cast<char>(value)};
        to.append(bytes, 4);
    }

    void Chunk(const char* type, const QByteArray& data)
    {
        AppendBig(Out, static_cast<uint32_t>(data.size()));
        const qsizetype start = Out.size();
        Out.append(type, 4);
        Out.append(data);
        const auto* typed = reinterpret_cast<const Bytef*>(Out.constData() + start);
        AppendBig(Out, static_cast<uint32_t>(crc32(0, typed, static_cast<uInt>(data.size() + 4))));
    }

    // Compresses `size` bytes; each full output buffer becomes an IDAT chunk.
    bool Deflate(const uchar* data, std::size_t size, int flush)
    {
        if (!Ready)
            return false;
        Stream.next_in = const_cast<uchar*>(data);  // zlib's interface is not const-correct
        Stream.avail_in = static_cast<uInt>(size);
        for (;;) {
            Stream.next_out = reinterpret_cast<Bytef*>(Buffer.data() + Used);
            Stream.avail_out = static_cast<uInt>(Buffer.size() - Used);
            const int result = deflate(&Stream, flush);
            if (result == Z_STREAM_ERROR)
                return false;
            Used = Buffer.size() - Stream.avail_out;
            const bool finished = result == Z_STREAM_END;
            if (Used == Buffer.size() || (finished && Used > 0)) {
                Chunk("IDAT", QByteArray::fromRawData(Buffer.data(), static_cast<qsizetype>(Used)));
                Used = 0;
            }
            if (finished || (flush == Z_NO_FLUSH && Stream.avail_in == 0 && Stream.avail_out > 0))
                return true;
        }
    }

    QByteArray& Out;
    z_stream Stream{};
    bool Ready = false;
    std::vector<uchar> Filtered;
    std::array<char, 1 << 16> Buffer{};
    std::size_t Used = 0;
};

// Bands passed from the thread that paints to the thread that compresses, at most two
// waiting, in order.
class CBandQueue
{
public:
    // The painter's side: false once the compressor has given up.
    bool Push(const CMonoRows& rows)
    {
        CBand band{std::vector<uchar>(rows.Bits, rows.Bits + rows.Count * rows.BytesPerRow), rows};
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [this] { return Waiting.size() < 2 || Cancelled; });
        if (Cancelled)
            return false;
        Waiting.push_back(std::move(band));
        Changed.notify_all();
        return true;
    }
    void Close(bool painted, std::string error)
    {
        const std::lock_guard lock(Mutex);
        Closed = true;
        Painted = painted;
        Error = std::move(error);
        Changed.notify_all();
    }
    // The compressor's side: the next band, or nothing once the painter has closed.
    std::optional<std::pair<std::vector<uchar>, CMonoRows>> Pop()
    {
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [this] { return !Waiting.empty() || Closed; });
        if (Waiting.empty())
            return std::nullopt;
        auto band = std::move(Waiting.front());
        Waiting.pop_front();
        Changed.notify_all();
        band.Rows.Bits = band.Bits.data();
        return std::make_pair(std::move(band.Bits), band.Rows);
    }
    // Stops the painter and waits until it has closed; whether it painted everything.
    bool Cancel(std::string& error)
    {
        std::unique_lock lock(Mutex);
        Cancelled = true;
        Changed.notify_all();
        Changed.wait(lock, [this] { return Closed; });
        if (!Painted)
            error = Error;
        return Painted;
    }

private:
    struct CBand
    {
        std::vector<uchar> Bits;
        CMonoRows Rows;
    };
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<CBand> Waiting;
    bool Cancelled = false;
    bool Closed = false;
    bool Painted = false;
    std::string Error;
};
}  // namespace

bool EncodePng(QByteArray& out, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
               std::string& error)
{
    const CPixels size = ImagePixels(widthMm, heightMm, dpi, error);
    if (size.Width == 0)
        return false;
    CPngStream png(out, size, DotsPerMetre(dpi));
    // The bands are painted on a pool thread while this one compresses the band before.
    // On a pool thread Qt's raster engine also does its work itself instead of handing
    // it to the pool, whose hand-offs cost more than they save on a 1-bit page.
    CBandQueue queue;
    const bool started = QThreadPool::globalInstance()->tryStart([&] {
        std::string paintError;
        bool painted = false;
        try {
            painted = PaintMonoBands(size, dpi, draw, [&queue](const CMonoRows& rows) { return queue.Push(rows); },
                                     paintError);
        } catch (const std::bad_alloc&) {
            paintError = "not enough memory for the image";
        }
        queue.Close(painted, std::move(paintError));
    });
    bool compressed = true;
    bool painted = false;
    if (started) {
        while (const auto band = queue.Pop()) {
            if (!png.Rows(band->second)) {
                compressed = false;
                break;
            }
        }
        painted = queue.Cancel(error);
    } else {  // no pool thread free (called from one, say): paint here, one band at a time
        painted = PaintMonoBands(size, dpi, draw, [&](const CMonoRows& rows) { return compressed = png.Rows(rows); },
                                 error);
    }
    if (!compressed || (painted && !png.Finish())) {
        error = "the PNG encoder failed";
        return false;
    }
    return painted;
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
