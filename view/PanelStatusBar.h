#pragma once
// A status bar of fixed-width text panels (a pane's bar has four: 75, 150, 200, 50).
#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;

class TPanelStatusBar : public QWidget {
    Q_OBJECT
public:
    TPanelStatusBar(const QVector<int>& panelWidths, QWidget* parent);
    int PanelCount() const { return FPanels.size(); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    int PanelWidth(int index) const;

private:
    QVector<QLabel*> FPanels;
};
