// The scrolling view: the whole score as one continuous page at physical size (a
// millimetre of page is a millimetre on the screen, as the screen reports its size),
// printing and print preview page by page, copy as a monochrome image, the score
// settings command and scrolling from the keyboard.
#pragma once

#include <QAbstractScrollArea>
#include <functional>

#include "display/PageView.h"

class CPlektoDoc;
class CScore;
class QPainter;
class QPrinter;
class QScreen;
class QSettings;

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

public slots:
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnCopyImage();
    void OnScoreSettings();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetScrollSizes(const CScore& score);

    CPlektoDoc& Doc;
    CPageView PageView;
    QPrinter* Printer = nullptr;
    QSettings* PreviewStore = nullptr;
};
