#include "plugins/PluginLoader.h"

#include <QMenu>
#include <QToolButton>

#include "about/Unit2.h"
#include "platform/actions.h"
#include "plugins/PluginIcons.h"
#include "plugins/PluginLibrary.h"

namespace {

// The one caption that is made unique per library, with a separator after it.
const QString AboutFilter = QStringLiteral("About");

} // namespace

TPluginLoader::TPluginLoader(const TPluginHostParts& parts) : FParts(parts) {}

void TPluginLoader::Load(const QString& fileName)
{
    TPluginLibrary library(fileName);
    if (!library.Loaded())
        return;
    const auto freeLib = library.Proc<TFreeLib>("FreeLib");
    const auto initLib = library.Proc<TInitLib>("InitLib");
    if (!freeLib || !initLib)
        return;
    // Loading calls FreeLib only, never InitLib; then the library is unloaded.
    TFreeLibGuard finish(freeLib);

    const auto getModulName = library.Proc<TGetModulName>("GetModulName");
    if (!getModulName)
        return;
    const QString moduleName = PluginText(getModulName());
    QAction* entry = FParts.PlugInMenu->addAction(moduleName);
    FParts.BtnQuickPlug->setIcon(PluginIcons::Icon(PluginIcons::QuickButton));
    FParts.BtnQuickPlug->setToolButtonStyle(Qt::ToolButtonIconOnly);

    if (!library.Proc<TGetPluginVersion>("GetPluginVersion")) {
        // Bound to VersionMiss but captioned with the library's own name.
        entry->setIcon(PluginIcons::Icon(PluginIcons::WrongVersion));
        TAction* versionMiss = FParts.VersionMiss;
        QObject::connect(entry, &QAction::triggered, versionMiss, [versionMiss] { versionMiss->trigger(); });
        return;
    }

    const auto getFilterCount = library.Proc<TGetFilterCount>("GetFilterCount");
    const auto getFilterName = library.Proc<TGetFilterName>("GetFilterName");
    const auto getFilterProcName = library.Proc<TGetFilterProcName>("GetFilterProcName");
    if (!getFilterCount || !getFilterName || !getFilterProcName)
        return;  // listed by name, without filters and without icon

    if (getFilterCount() == 1) {
        const QString procName = PluginText(getFilterProcName(0));
        TAction* filter = MakeFilterAction(fileName, PluginText(getFilterName(0)), procName);
        entry = ReplaceEntry(entry, filter);
        ReportFilter(fileName, procName);
        filter->SetImageIndex(PluginIcons::Loaded);
        return;
    }

    auto* submenu = new QMenu(moduleName, FParts.PlugInMenu);
    entry = ReplaceEntry(entry, submenu->menuAction());
    const int32_t count = getFilterCount();
    for (int32_t i = 0; i < count; ++i) {
        const QString procName = PluginText(getFilterProcName(i));
        const QString caption = PluginText(getFilterName(i));
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
