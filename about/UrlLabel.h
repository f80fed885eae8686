#pragma once
// TUrlLabel: a text label that opens its address with the desktop's default handler
// when clicked (a "mailto:" address opens the mail program). Reusable; tied to no box.

#include <QLabel>
#include <QString>
#include <functional>

// Receives the shell's number when opening fails (a value of 32 or less).
using TExecFailEvent = std::function<void(int)>;

class TUrlLabel : public QLabel {
    Q_OBJECT
public:
    // The owner becomes the label's parent; a label with an owner opens its address on
    // behalf of the application's main window.
    explicit TUrlLabel(QWidget* owner = nullptr);

    // What a click opens; empty means a click does nothing. Setting it (even to the same
    // or an empty value) stops Caption from taking over the address, and sets the look:
    // non-empty is blue (0, 0, 255), underlined, with a pointing hand; empty is the
    // plain window-text look with the default pointer.
    QString URL() const { return FURL; }
    void SetURL(const QString& url);

    // Parameters handed to the opened program; empty by default.
    QString Param() const { return FParam; }
    void SetParam(const QString& param) { FParam = param; }

    // The shown text. While no URL has been set, it is also the address. The look is
    // not changed by it.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    // Called with the shell's number when opening fails; when empty, a failure raises
    // Exception("Action failed! Win32 error code: <number>").
    TExecFailEvent OnExecFail;

    // The click: opens URL. Public so it can be run without a pointer.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString FURL;
    QString FParam;
    bool FURLSet = false;
    bool FPressed = false;
};
