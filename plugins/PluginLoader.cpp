#include "plugins/PluginLoader.h"

#include <QMenu>
#include <QToolButton>

#include "about/Unit2.h"
#include "platform/actions.h"
#include "plugins/PluginIcons.h"
#include "plugins/PluginHelperProtocol.h"

namespace {

// The one caption that is made unique per library, with a separator after it.
const QString AboutFilter = QStringLiteral("About");

// A text a library returned, in the locale's 8-bit encoding.
QString PluginText(const std::string& text)
{
    return QString::fromLocal8Bit(text);
}

} // namespace

TPluginLoader::TPluginLoader(const TPluginHostParts& parts) : FParts(parts) {}

void TPluginLoader::Load(const QString& fileName)
{
    TScannedLibrary library = ReadLibrary ? ReadLibrary(fileName) : TScannedLibrary::NotLoaded();
    Build(fileName, library);
    // FreeLib ran and the library was unloaded, or the helper ended before.
    library.CheckFinished();
}

void TPluginLoader::Build(const QString& fileName, TScannedLibrary& library)
{
    using namespace PluginHelperProtocol;
    if (!library.Loaded())
        return;
    // Loading calls FreeLib only, never InitLib; then the library is unloaded.
    if (!library.Exports(ExportFreeLib) || !library.Exports(ExportInitLib))
        return;
    if (!library.Exports(ExportGetModulName))
        return;
    const QString moduleName = PluginText(library.ModulName());
    QAction* entry = FParts.PlugInMenu->addAction(moduleName);
    FParts.BtnQuickPlug->setIcon(PluginIcons::Icon(PluginIcons::QuickButton));
    FParts.BtnQuickPlug->setToolButtonStyle(Qt::ToolButtonIconOnly);

    if (!library.Exports(ExportGetPluginVersion)) {
        // Bound to VersionMiss but captioned with the library's own name.
        entry->setIcon(PluginIcons::Icon(PluginIcons::WrongVersion));
        TAction* versionMiss = FParts.VersionMiss;
        QObject::connect(entry, &QAction::triggered, versionMiss, [versionMiss] { versionMiss->trigger(); });
        return;
    }

    if (!library.Exports(ExportGetFilterCount) || !library.Exports(ExportGetFilterName) ||
        !library.Exports(ExportGetFilterProcName))
        return;  // listed by name, without filters and without icon

    if (library.FilterCount() == 1) {
        const QString procName = PluginText(library.FilterProcName(0));
        TAction* filter = MakeFilterAction(fileName, PluginText(library.FilterName(0)), procName);
        entry = ReplaceEntry(entry, filter);
        ReportFilter(fileName, procName);
        filter->SetImageIndex(PluginIcons::Loaded);
        return;
    }

    auto* submenu = new QMenu(moduleName, FParts.PlugInMenu);
    entry = ReplaceEntry(entry, submenu->menuAction());
    const int32_t count = library.FilterCount();
    for (int32_t i = 0; i < count; ++i) {
        const QString procName = PluginText(library.FilterProcName(i));
        const QString caption = PluginText(library.FilterName(i));
        const bool about = caption == AboutFilter;
        TAction* filter = MakeFilterAction(
            fileName, about ? AboutFilter + QStringLiteral(" (") + fileName + QLatin1Char(')') : caption, procName);
        submenu->addAction(filter);
        if (about)
            submenu->addSeparator();
        ReportFilter(fileName, procName);
    }
    entry->setIcon(PluginIcons::Icon(PluginIcons::Loaded));
}

TAction* TPluginLoader::MakeFilterAction(const QString& fileName, const QString& caption, const QString& procName)
{
    auto* filter = new TAction(FParts.PluginActions);
    filter->SetCategory(fileName);
    filter->SetHint(procName);
    filter->SetCaption(caption);
    filter->OnExecute = [this](TAction* action) {
        if (OnRunFilter)
            OnRunFilter(action);
    };
    return filter;
}

void TPluginLoader::ReportFilter(const QString& fileName, const QString& procName)
{
    if (FParts.Splash)
        FParts.Splash->WritePluginLine(QStringLiteral("Plugins: ") + fileName + QLatin1Char('/') + procName);
    if (!NoDelay && Pause)
        Pause(PauseAfterFilter);
}

QAction* TPluginLoader::ReplaceEntry(QAction* entry, QAction* replacement)
{
    FParts.PlugInMenu->insertAction(entry, replacement);
    FParts.PlugInMenu->removeAction(entry);
    delete entry;
    return replacement;
}
