#pragma once
// A panel with the classic two bevels: an outer and an inner one, each raised,
// lowered or absent, one pixel wide.

#include <QFrame>

class TBevelPanel : public QFrame {
    Q_OBJECT
public:
    enum class TBevel { None, Lowered, Raised };

    explicit TBevelPanel(QWidget* parent = nullptr, TBevel outer = TBevel::Raised,
                         TBevel inner = TBevel::None);

    TBevel BevelOuter() const { return FOuter; }
    TBevel BevelInner() const { return FInner; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TBevel FOuter;
    TBevel FInner;
};
