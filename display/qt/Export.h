// Writers of drawn pages to files (PDF, a 1-bit PNG, SVG), all at physical size. The
// drawing itself comes from a callback that draws onto a surface whose origin is the
// page's top-left corner, in 0.01 mm with y upward.
//
// Each Encode function fills a byte array; each Write function encodes and then replaces
// the file at path whole (display/qt/OutputFile.h), so a failure leaves an existing file
// as it was. Both return false on failure with a one-line reason in `error` that does not
// repeat the path. Sizes that are not finite, not positive or beyond the bounds below are
// refused before anything is allocated.
//
// The bytes depend only on the drawing, with one exception: the PDF's creation date,
// which is SOURCE_DATE_EPOCH when that is set (else the current time), in UTC. Qt's PDF
// object order follows its hash seed, which main() makes deterministic.
#pragma once

#include <QByteArray>
#include <QImage>
#include <functional>
#include <optional>
#include <string>

#include "display/PageView.h"

class CSurface;

// Draws one page (numbered from 1) onto the surface.
using CPageDrawer = std::function<void(CSurface& surface, int page)>;
// Draws the single picture of a PNG or SVG. An image is painted in horizontal bands, one
// call each, with `visible` the band in logical y: what lies wholly outside it may be
// left out (it is clipped anyway). SVG draws once, with no band.
using CPictureDrawer = std::function<void(CSurface& surface, std::optional<CBand> visible)>;

// The largest PDF page, in millimetres: the format's own limit of 200 in.
constexpr double MaxPdfPageMm = 5080.0;
// The largest SVG side, in millimetres (100 m, some 18000 bars on one screen page). SVG
// itself has no limit; this keeps every coordinate, in 0.01 mm, below 10^7, which viewers
// working in single precision still place to one unit, and far inside the int range of
// the view box. Qt writes six significant digits, so beyond 10 m positions are rounded to
// 0.1 mm.
constexpr double MaxSvgSideMm = 100000.0;
// The most pages one PDF gets.
constexpr int MaxPdfPages = 100000;
// The largest raster image: each side and the whole area, in pixels (1 bit each, so the
// area bound is 128 MiB of image).
constexpr long long MaxImageSide = 1LL << 20;
constexpr long long MaxImagePixels = 1LL << 30;
// Resolutions a PNG may have, in dots per inch.
constexpr double MinImageDpi = 1.0;
constexpr double MaxImageDpi = 10000.0;

// pageCount pages of pageWidthMm x pageHeightMm, drawn by draw(surface, 1..pageCount).
// One device unit is 0.01 mm; no margins.
bool EncodePdf(QByteArray& out, double pageWidthMm, double pageHeightMm, int pageCount, const CPageDrawer& draw,
               std::string& error);
bool WritePdf(const std::string& path, double pageWidthMm, double pageHeightMm, int pageCount,
              const CPageDrawer& draw, std::string& error);

// A 1-bit image (white background, black ink) of widthMm x heightMm at dpi dots per inch,
// with its resolution recorded in the file.
bool EncodePng(QByteArray& out, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
               std::string& error);
bool WritePng(const std::string& path, double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
              std::string& error);

// An SVG of widthMm x heightMm whose user units are 0.01 mm.
bool EncodeSvg(QByteArray& out, double widthMm, double heightMm, const CPictureDrawer& draw, std::string& error);
bool WriteSvg(const std::string& path, double widthMm, double heightMm, const CPictureDrawer& draw,
              std::string& error);

// The image that WritePng writes (Format_Mono, index 0 white, 1 black); a null image
// with `error` set when the size or resolution is refused or memory runs out. Also for
// the clipboard copy.
QImage RenderMonoImage(double widthMm, double heightMm, double dpi, const CPictureDrawer& draw,
                       std::string& error);
