#pragma once
// Reads one plug-in library into the Plugins menu: its display name becomes an entry,
// each filter an action of PluginActions (caption, library file as category, procedure
// name as hint), with progress on the splash. The library itself is read by the plug-in
// helper, in a process of its own; the menu is built from its answers.

#include <QString>
#include <cstdint>
#include <functional>

#include "plugins/PluginHostParts.h"
#include "plugins/ScannedLibrary.h"

class QAction;
class TAction;

class TPluginLoader {
public:
    explicit TPluginLoader(const TPluginHostParts& parts);

    // Skips a library that cannot be loaded or lacks InitLib, FreeLib or GetModulName,
    // without a message. A library that ended its helper before it was read through
    // (FreeLib called and unloaded) raises EPluginHelper once what it did answer is in
    // the menu, as an exception in the library would; the scan reports it.
    void Load(const QString& fileName);

    // Reads the library of that bare file name (the helper's answers).
    std::function<TScannedLibrary(const QString& fileName)> ReadLibrary;

    // Run for every filter action when it executes (the filter run).
    std::function<void(TAction*)> OnRunFilter;
    // The short pauses after each filter so the splash can be read.
    std::function<void(uint32_t milliseconds)> Pause;
    bool NoDelay = false;

    static constexpr uint32_t PauseAfterFilter = 100;

private:
    void Build(const QString& fileName, TScannedLibrary& library);
    TAction* MakeFilterAction(const QString& fileName, const QString& caption, const QString& procName);
    void ReportFilter(const QString& fileName, const QString& procName);
    // Puts replacement where entry is in the Plugins menu and deletes entry.
    QAction* ReplaceEntry(QAction* entry, QAction* replacement);

    const TPluginHostParts& FParts;
};
