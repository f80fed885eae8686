#pragma once
// Reads one plug-in library into the Plugins menu: its display name becomes an entry,
// each filter an action of PluginActions (caption, library file as category, procedure
// name as hint), with progress on the splash. The library is unloaded when done.

#include <QString>
#include <cstdint>
#include <functional>

#include "plugins/PluginHostParts.h"

class QAction;
class TAction;

class TPluginLoader {
public:
    explicit TPluginLoader(const TPluginHostParts& parts);

    // Skips a library that cannot be loaded or lacks InitLib, FreeLib or GetModulName,
    // without a message. Lets failures of its own escape (the scan reports them); the
    // library's FreeLib is called and the library unloaded on every path.
    void Load(const QString& fileName);

    // Run for every filter action when it executes (the filter run).
    std::function<void(TAction*)> OnRunFilter;
    // The short pauses after each filter so the splash can be read.
    std::function<void(uint32_t milliseconds)> Pause;
    bool NoDelay = false;

    static constexpr uint32_t PauseAfterFilter = 100;

private:
    TAction* MakeFilterAction(const QString& fileName, const QString& caption, const QString& procName);
    void ReportFilter(const QString& fileName, const QString& procName);
    // Puts replacement where entry is in the Plugins menu and deletes entry.
    QAction* ReplaceEntry(QAction* entry, QAction* replacement);

    const TPluginHostParts& FParts;
};
