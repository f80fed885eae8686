#include "about/UrlLabel.h"

#include "platform/shell.h"
#include "wave/Exception.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>

namespace {

// The toolkit has no single "main window"; the program has exactly one QMainWindow.
QWidget* ApplicationMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(widget))
            return widget;
    return nullptr;
}

} // namespace

TUrlLabel::TUrlLabel(QWidget* owner)
    : QLabel(owner)
{
}

void TUrlLabel::SetURL(const QString& url)
{
    FURLSet = true;
    FURL = url;

    QFont f = font();
    if (url.isEmpty()) {
        // Back to what the parent gives: the system's window-text colour.
        QPalette p = palette();
        p.setColor(QPalette::WindowText,
                   parentWidget() ? parentWidget()->palette().color(QPalette::WindowText)
                                  : QApplication::palette().color(QPalette::WindowText));
        setPalette(p);
        f.setUnderline(false);
        unsetCursor();
    } else {
        QPalette p = palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        setPalette(p);
        f.setUnderline(true);
        setCursor(Qt::PointingHandCursor);
    }
    setFont(f);
    adjustSize();
}

void TUrlLabel::SetCaption(const QString& caption)
{
    setText(caption);
    adjustSize();  // the label sizes itself to its text
    if (!FURLSet)
        FURL = caption;
}

void TUrlLabel::Click()
{
    if (FURL.isEmpty())
        return;
    QWidget* shellParent = parent() ? ApplicationMainWindow() : nullptr;
    const int result = ShellExecuteA(shellParent, QStringLiteral("open"), FURL, FParam, QString(),
                                     SW_SHOWNORMAL);
    if (result > 32)
        return;
    if (OnExecFail) {
        OnExecFail(result);
        return;
    }
    throw Exception("Action failed! Win32 error code: " + std::to_string(result));
}

void TUrlLabel::mousePressEvent(QMouseEvent* event)
{
    // Taken even with no address: a click on the label is the label's own, never its
    // parent's.
    FPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click = FPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        Click();  // may throw: the application's error report takes it from here
}
