#pragma once
// TAboutBox: one borderless box that is first the start-up splash (kept on top) and
// later the About box (shown modally). Its plug-in line reports the plug-in scan.

#include <QDialog>

class QLabel;
class QFrame;
class TUrlLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* OuterPanel = nullptr;
    QFrame* InnerPanel = nullptr;
    QLabel* ProductLine = nullptr;   // "Tarvex Sonovane", bold
    QLabel* VersionLine = nullptr;   // "Version 1.0 Alpha"
    QLabel* ThirdLine = nullptr;
    TUrlLabel* UrlLabel1 = nullptr;
    QLabel* lbPlugins = nullptr;     // "Plugins"; hidden at start

    // Splash: shown without waiting and kept on top of all windows.
    void ShowSplash();
    // About box: shown modally; returns when the user closes it.
    int ShowModal();
    // Closes the box (inner panel and the three text lines).
    void Panel1Click();
    // Writes the plug-in line and repaints the box at once (the scan blocks the loop).
    // A non-empty text also shows the line; an empty one leaves it shown or hidden.
    void WritePluginLine(const QString& text);

    // The contact shown and opened by the link line.
    static constexpr const char* ContactAddress = "sonovane@example.org";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The box has no Cancel button: Esc does not close it (nor hide the splash).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CentreOnScreen();
    QObject* FPressedOn = nullptr;  // the closing control that took the button press
};
