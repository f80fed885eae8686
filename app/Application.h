#pragma once
// The application object: every error that escapes an event handler ends here and is
// shown as the unhandled-error report; the program goes on running.

#include <QApplication>
#include <QString>
#include <exception>

// "Unhandled exception in "<className>": <message>\rLast action: <lastAction>\rPlease
// report the operation that caused this problem..." (carriage returns only).
QString UnhandledErrorText(const QString& className, const QString& message,
                           const QString& lastAction);

// The message of any failure: Exception's text, what() of another standard exception,
// "Unknown exception" for anything else (error null).
QString ErrorMessage(const std::exception* error);

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Delivers the event; a failure escaping the receiver's handlers is reported in the
    // receiver's name and never unwinds into the toolkit.
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the report for a failure in sender's event: through the window's hook
    // (which knows the last action) when one is installed, else with an empty last action.
    static void ReportError(QObject* sender, const std::exception* error);

    // The unhandled-error report for a failure in sender's event, naming lastAction.
    static void ShowErrorReport(QObject* sender, const std::exception* error, const QString& lastAction);
};
