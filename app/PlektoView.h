// The scrolling view: the whole score as one continuous page at physical size (a
// millimetre of page is a millimetre on the screen, as the screen reports its size),
// printing and print preview page by page, copy as a monochrome image, the score
// settings command, scrolling from the keyboard, and the playback cursor that follows
// the music (a click on a column chooses where play starts).
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <optional>

#include "display/PageView.h"
#include "perform/PlaybackCursor.h"

class CPlektoDoc;
class CScore;
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
    // Where the preview keeps how many pages it shows ("Settings", "PreviewPages").
    void SetPreviewStore(QSettings* settings) { PreviewStore = settings; }

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

    // The screen paint without the widget: the part `exposed` (viewport pixels) of the
    // page scrolled to `scroll`, at dpi pixels per inch, onto a white background. Line
    // slots wholly outside the exposed part are walked, not drawn, with room to spare
    // for symbols that reach beyond their slot.
    static void PaintViewport(QPainter& painter, const CPageView& pageView, CScore& score, QPoint scroll,
                              const QRect& exposed, double dpi);
    const CPageView& GetPageView() const { return PageView; }

    // The unit item drawn under a point of the viewport (pixels), if any.
    std::optional<std::size_t> ItemAtViewport(const QPoint& pos) const;

    // Where the playback cursor stands, nullopt to hide it. Only the strips it leaves
    // and enters are repainted; the view scrolls to keep it in sight unless the user
    // scrolled away, until it reaches another line.
    void SetPlayCursor(const std::optional<CCursorPosition>& position);
    // Play (re)starts: the view follows the cursor again, wherever the user scrolled.
    void FollowPlayCursor() { Following = true; }
    // The bar in viewport pixels (empty when hidden).
    QRect PlayCursorRect() const;
    // The bar of a position: CursorWidth pixels from its x, over its item's slot, in
    // viewport pixels of a page scrolled to `scroll` at dpi pixels per inch.
    static QRect CursorStrip(const CCursorPosition& position, QPoint scroll, double dpi);
    static constexpr int CursorWidth = 2;

signals:
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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetScrollSizes(const CScore& score);
    QPoint ScrollPosition() const;
    void FollowCursor(const CCursorPosition& position);

    CPlektoDoc& Doc;
    CPageView PageView;
    QPrinter* Printer = nullptr;
    QSettings* PreviewStore = nullptr;
    std::optional<CCursorPosition> PlayCursor;
    bool Following = true;          // the view scrolls with the cursor
    bool FollowScrolling = false;   // the follower itself is scrolling
    std::size_t UnfollowedLine = 0; // the line the cursor was on when the user scrolled away
    QTimer* ClickTimer = nullptr;   // a single click waits out the double-click time
    std::size_t ClickedItem = 0;
};
