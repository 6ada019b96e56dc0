// The scrolling view: the whole score as one continuous page, at physical size (a
// millimetre of page is a millimetre on the screen, as the screen reports its size) times
// the zoom factor, printing and print preview page by page, copy as a monochrome image,
// the score settings command, scrolling from the keyboard, and the link from a column on
// the screen to where its token starts in the source, and the playback cursor that
// follows the music (a click on a column chooses where play starts).
#pragma once

#include <QAbstractScrollArea>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "display/PageView.h"
#include "perform/PlaybackCursor.h"

class CPlektoDoc;
class CItemSourcePoints;
class CScore;
struct CSourcePoint;
class QPainter;
class QPrinter;
class QScreen;
class QSettings;
class QTimer;

class CPlektoView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    CPlektoView(CPlektoDoc& doc, QWidget* parent = nullptr);
    ~CPlektoView() override;

    // The printer of print, preview and printer set-up; the view does not own it.
    void SetPrinter(QPrinter* printer) { Printer = printer; }
    // Where the preview keeps how many pages it shows ("Settings/PreviewPages") and the
    // view its zoom ("Viewer/Zoom"); the stored zoom is applied at once.
    void SetStore(QSettings* settings);

    // Runs the settings sheet modally over the score's settings; true when it closed
    // with OK. Until a sheet is installed the command does nothing.
    std::function<bool(QWidget* parent, CScore& score)> ScoreSettingsSheet;
    // After the settings changed (OK, or Apply with the sheet still open): the score is
    // laid out again and the whole view repainted.
    void OnSettingsApplied();

    // After New and Open: back to the page's top-left corner, sizes and a repaint.
    void OnInitialUpdate();
    // After the file was read again: sizes and a repaint, the scroll position kept as
    // far as the new score's size allows.
    void OnReloadUpdate();

    // The prepare step: the document height (one page while printing), the scroll
    // sizes, and the score's missing fonts and memory surface.
    void OnPrepareDC(bool printing);

    // The print dialog, offering pages 1 to PageCount; true when the user confirmed.
    bool OnPreparePrinting(QPrinter& printer);
    // The print loop: each page of the printer's range (all pages by default) gets a
    // prepare step and OnPrint. Used by print, preview and the preview's print button.
    void PrintPages(QPrinter& printer);
    // One page at physical size from the top-left corner of the printable area.
    void OnPrint(QPainter& painter, const QPrinter& printer, int pageNumber);

    // Pixels per inch of the screen the view is on, from its physical size.
    double ScreenDpi() const;

    // The screen's zoom: 1 is physical size. Only the screen reads it; printing, the
    // preview, copy and export stay at their own resolutions.
    static constexpr double MinZoom = 0.25;
    static constexpr double MaxZoom = 8.0;
    double GetZoom() const { return Zoom; }
    // Clamped to MinZoom..MaxZoom (anything not a number is 1). The page point under
    // `anchor` (viewport pixels; the viewport's centre when none) stays under it as far
    // as the scroll ranges allow. Stored and announced when it changed.
    void SetZoom(double factor, std::optional<QPoint> anchor = std::nullopt);
    // The next step of the ladder above or below the current factor.
    void ZoomIn(std::optional<QPoint> anchor = std::nullopt);
    void ZoomOut(std::optional<QPoint> anchor = std::nullopt);
    void ZoomActualSize();
    // The page's width fills the viewport's.
    void ZoomFitWidth();
    // "100 %".
    static QString ZoomText(double factor);

    // The unit item under a point of the viewport (pixels), from the layout's geometry.
    std::optional<std::size_t> ItemAtViewport(const QPoint& pos) const;
    // The item's Rect in viewport pixels at the current scroll and zoom (empty when the
    // screen does not show it).
    QRect ItemViewportRect(std::size_t item) const;
    // Where the item's token starts in the document's text (0, 0 when unknown).
    CSourcePoint SourceOf(std::size_t item) const;
    std::optional<std::size_t> GetHoveredItem() const { return Hovered; }

    // The screen paint without the widget: the part `exposed` (viewport pixels) of the
    // page scrolled to `scroll`, at dpi pixels per inch, onto a white background. Line
    // slots wholly outside the exposed part are walked, not drawn, with room to spare
    // for symbols that reach beyond their slot.
    static void PaintViewport(QPainter& painter, const CPageView& pageView, CScore& score, QPoint scroll,
                              const QRect& exposed, double dpi);
    const CPageView& GetPageView() const { return PageView; }

    // Where the playback cursor stands, nullopt to hide it. Only the strips it leaves
    // and enters are repainted. While playing (`follow`) the view scrolls to keep it in
    // sight unless the user scrolled away, until it reaches another line; a start chosen
    // by a click leaves the view where it is.
    void SetPlayCursor(const std::optional<CCursorPosition>& position, bool follow = true);
    // Play (re)starts: the view follows the cursor again, wherever the user scrolled.
    void FollowPlayCursor() { Following = true; }
    // The bar in viewport pixels (empty when hidden).
    QRect PlayCursorRect() const;
    // The bar of a position: CursorWidth pixels from its x, over its item's slot, in
    // viewport pixels of a page scrolled to `scroll` at dpi pixels per inch.
    static QRect CursorStrip(const CCursorPosition& position, QPoint scroll, double dpi);
    static constexpr int CursorWidth = 2;

signals:
    void ZoomChanged(double factor);
    // "行 L, 桁 C" of the item under the pointer; empty when there is none.
    void SourceHovered(const QString& text);
    // Double-click or Ctrl+click on an item: open the source there.
    void SourceRequested(int line, int column);
    // A single click (no modifier) on an item, once it is clear no double-click follows.
    void ItemClicked(std::size_t item);

public slots:
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnCopyImage();
    void OnScoreSettings();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetScrollSizes(const CScore& score);
    // Viewport pixels per 0.01 mm at the current zoom.
    double PixelsPerUnit() const;
    void SetHovered(std::optional<std::size_t> item);
    // After a scroll or zoom moved the page under a resting pointer.
    void UpdateHoverAtPointer();
    // A new score or text: the hover and the line index go with the old one.
    void ForgetSource();
    bool RequestSource(const QPoint& pos);
    QPoint ScrollPosition() const;
    void FollowCursor(const CCursorPosition& position);

    CPlektoDoc& Doc;
    CPageView PageView;
    QPrinter* Printer = nullptr;
    QSettings* Store = nullptr;
    double Zoom = 1.0;
    int WheelZoomDelta = 0;  // wheel angle not yet turned into a zoom step
    std::optional<std::size_t> Hovered;
    mutable std::unique_ptr<CItemSourcePoints> Sources;  // made at the first hover over a score
    std::optional<CCursorPosition> PlayCursor;
    bool Following = true;          // the view scrolls with the cursor
    bool FollowScrolling = false;   // the follower itself is scrolling
    std::size_t UnfollowedLine = 0; // the line the cursor was on when the user scrolled away
    QTimer* ClickTimer = nullptr;   // a single click waits out the double-click time
    std::size_t ClickedItem = 0;
};
