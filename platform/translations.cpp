#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace Translations {

bool InstallToolkitTexts()
{
    static QPointer<QTranslator> installed;

    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    if (installed && installed->parent() == app)
        return true;

    // Owned by the application, so it goes away with it and a later application in the
    // same process (tests) installs its own.
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    if (!QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

} // namespace Translations
