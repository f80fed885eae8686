#pragma once
// TWavPaintBox: the pane that shows one of the document's two pane waves as a
// column-per-pixel peak graph with its selection, guide lines, marks and name, and keeps
// its status bar current. The wave belongs to the document; the pane is a view of it, and
// the part of the wave it shows (its view range, Fit by default) is the pane's own.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "document/ComposerDocument.h"
#include "rules/PixelMapping.h"
#include "wave/Wavs_ex.h"

class QProgressBar;
class TPanelStatusBar;

class TWavPaintBox : public QWidget, private TDocumentObserver {
    Q_OBJECT
public:
    // Shows the pane wave of document; placed in parent and filling it; name is the
    // initial WaveName.
    TWavPaintBox(std::shared_ptr<TComposerDocument> document, TPaneId pane, QObject* owner, const QString& name,
                 QWidget* parent);
    // A pane of a document of its own (a pane shown alone).
    TWavPaintBox(QObject* owner, const QString& name, QWidget* parent);
    ~TWavPaintBox() override;

    TTxWavStream* Wave() const { return &FDocument->PaneWave(FPane); }
    TComposerDocument& Document() const { return *FDocument; }
    TPaneId Pane() const { return FPane; }
    QProgressBar* LevelBar = nullptr;      // not owned
    int32_t CursorX = -1;                  // x of the exclusive-or pointer line; -1 none
    TPanelStatusBar* StatusBar = nullptr;  // not owned
    int32_t MarkStart = -1;
    int32_t MarkEnd = -1;
    QColor MarkColour = QColor(255, 0, 0);
    QString WaveName;
    int32_t Precision = 0;                 // -1 vector scan, 0..4 stride exponent

    int32_t SelStart() const { return Wave()->SelStart(); }
    int32_t SelEnd() const { return Wave()->SelEnd(); }
    int32_t SelLength() const { return Wave()->SelLength(); }
    TPixelMapping Mapping() const { return {width(), Wave()->Size(), View()}; }
    int32_t PixelToSample(int32_t x) const { return Mapping().PixelToSample(x); }
    int32_t SelStartPixel() const { return Mapping().SelStartPixel(SelStart()); }
    int32_t SelEndPixel() const { return Mapping().SelEndPixel(SelEnd()); }
    int32_t SampleToMarkPixel(int32_t s) const { return Mapping().SampleToMarkPixel(s); }

    // The part of the wave shown, held inside the wave as it is now.
    TViewRange View() const;
    // Shows another part (held inside the wave) and repaints when it differs from the
    // part shown.
    void SetView(const TViewRange& view);

    void SetSelection(int32_t a, int32_t b);
    void SetSelectionStart(int32_t a);
    void SetSelectionEnd(int32_t b);
    void SelectAll();
    // The edits tied to the selection: keep only it, delete it (both then select the
    // whole rest), or mirror it in place; each repaints and refreshes the status.
    void TrimSelection();
    void DeleteSelection();
    void ReverseSelection();
    void UpdateStatus();
    // Redraws the buffered picture now and shows it (removes every overlay).
    void Repaint();
    // Both, after the wave or its selection changed.
    void Refresh();

    // Draws a line in exclusive-or mode over the buffered picture (pointer line, drop
    // marks, stored-selection bracket); drawing the same line again removes it.
    void XorLine(int x0, int y0, int x1, int y1, const QColor& colour, int width = 1);
    // Paints another wave once in place of the pane's own (the pane's wave is untouched).
    void PaintOnce(TTxWavStream& other);
    // The buffered picture as last drawn, overlays included.
    const QImage& Picture() const { return FPicture; }

    // Pure drawing of the whole pane into image (sized W x H), as a paint does. The
    // image is made Format_RGB32 if it is not already. The name uses the application font.
    static void Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                       int32_t precision, int32_t markStart, int32_t markEnd,
                       const QColor& markColour);
    // The same with the name drawn in font (the pane passes its own).
    static void Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                       int32_t precision, int32_t markStart, int32_t markEnd,
                       const QColor& markColour, const QFont& font);
    // The same for the part view of the wave, on a picture of pixelRatio x pixelRatio
    // device pixels to each of the pane's pixels (the geometry stays in the pane's pixels).
    static void Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                       int32_t precision, int32_t markStart, int32_t markEnd,
                       const QColor& markColour, const QFont& font, const TViewRange& view,
                       int pixelRatio);

signals:
    // The part drawn changed: a zoom, a scroll, a new wave shown at Fit, or a change of
    // the wave's size or the pane's width that moved it. Told from the redraw.
    void ViewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaneWaveReplaced(TPaneId pane) override;
    void Redraw(TTxWavStream& wave);
    // Device pixels to each of the pane's pixels (a whole number, at least 1).
    int PixelRatio() const;
    std::shared_ptr<TComposerDocument> FDocument;
    TPaneId FPane;
    QImage FPicture;
    bool FPictureValid = false;
    TViewRange FView;       // as last set; held inside the wave on every use
    TViewRange FShownView;  // as last drawn
};
