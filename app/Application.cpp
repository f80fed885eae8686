#include "app/Application.h"

#include <QMetaObject>

#include "platform/actions.h"
#include "platform/dialogs.h"
#include "wave/Exception.h"

QString UnhandledErrorText(const QString& className, const QString& message,
                           const QString& lastAction)
{
    return QStringLiteral("Unhandled exception in \"") + className + QStringLiteral("\": ") +
           message + QLatin1Char('\r') + QStringLiteral("Last action: ") + lastAction +
           QLatin1Char('\r') + QStringLiteral("Please report the operation that caused this problem...");
}

QString ErrorMessage(const std::exception* error)
{
    if (!error)
        return QStringLiteral("Unknown exception");
    if (const auto* e = dynamic_cast<const Exception*>(error))
        return QString::fromStdString(e->Message());
    return QString::fromLocal8Bit(error->what());
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(receiver, &e);
    } catch (...) {
        ReportError(receiver, nullptr);
    }
    return false;
}

void TApplication::ReportError(QObject* sender, const std::exception* error)
{
    if (ApplicationEvents::HandleException(sender, error))
        return;
    ShowErrorReport(sender, error, QString());
}

void TApplication::ShowErrorReport(QObject* sender, const std::exception* error, const QString& lastAction)
{
    const QString className = sender ? QString::fromLatin1(sender->metaObject()->className())
                                     : QString();
    Dialogs::ShowMessage(UnhandledErrorText(className, ErrorMessage(error), lastAction));
}
