#pragma once
// TPaneScrollBar: the horizontal scroll bar under a pane. It shows which part of the wave
// the pane shows and moves it; at Fit there is nothing to scroll and it is hidden, so it
// takes no room.

#include <QScrollBar>

class TWavPaintBox;

class TPaneScrollBar : public QScrollBar {
    Q_OBJECT
public:
    // Placed by the caller (under the pane); follows pane's view from now on.
    TPaneScrollBar(TWavPaintBox& pane, QWidget* parent);

    // Reads the pane's view again: range, page, position and whether it is shown.
    void Follow();

private:
    // Scroll bar units per sample: one a pixel column, fewer for a view so long that the
    // columns would overflow the bar's range.
    double UnitsPerSample() const;
    void Scrolled(int value);

    TWavPaintBox& FPane;
    bool FFollowing = false;
};
