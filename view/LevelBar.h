#pragma once
// The thin vertical bar beside a pane that shows the level under the pointer.

#include <QProgressBar>

// A progress bar that draws exactly its value: the style's own bar paints a sliver at
// the minimum, which reads as a level where there is none. Range 0 to 100, filled
// from the bottom.
class TLevelBar : public QProgressBar {
    Q_OBJECT
public:
    explicit TLevelBar(QWidget* parent = nullptr);

    // Rows filled for the current value (0 at the minimum, the whole height at the maximum).
    int FilledHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
