#include "view/PanelStatusBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

TPanelStatusBar::TPanelStatusBar(const QVector<int>& panelWidths, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < panelWidths.size(); ++i) {
        const int w = panelWidths[i];
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        // A panel keeps its width whatever its text; longer texts are cut at the right.
        // The last one reaches to the bar's right edge, as a system status bar's does.
        if (i + 1 < panelWidths.size()) {
            panel->setFixedWidth(w);
            layout->addWidget(panel);
        } else {
            panel->setMinimumWidth(w);
            layout->addWidget(panel, 1);
        }
        FPanels.append(panel);
    }
    if (panelWidths.isEmpty())
        layout->addStretch(1);
}

QString TPanelStatusBar::PanelText(int index) const
{
    if (index < 0 || index >= FPanels.size())
        return QString();
    return FPanels[index]->text();
}

void TPanelStatusBar::SetPanelText(int index, const QString& text)
{
    if (index < 0 || index >= FPanels.size())
        return;
    FPanels[index]->setText(text);
}

int TPanelStatusBar::PanelWidth(int index) const
{
    if (index < 0 || index >= FPanels.size())
        return 0;
    return FPanels[index]->minimumWidth();
}
