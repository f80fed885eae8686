#pragma once
// The plug-in host: the scan that fills the Plugins menu once after start-up, the
// common handler of PluginActions, the version message and the filter runs. The window
// owns it and forwards its handlers here.

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "plugins/PluginHostParts.h"
#include "plugins/PluginLoader.h"
#include "plugins/PluginRunner.h"

class QObject;

class TPluginHost {
public:
    explicit TPluginHost(TPluginHostParts parts);

    // Message 1124: every "*.txf" of the program folder into the Plugins menu, with
    // progress on the splash, which is hidden at the end. noDelay skips every pause.
    // Returns the number of libraries found.
    int PluginScanMessage(bool noDelay);
    // Before every action of PluginActions: stops what plays and makes the quick button
    // run this action (its hint the action's caption, icon 29).
    void PluginActionsExecute(TAction* action);
    // The execute handler of every filter action.
    void RunPluginFilter(QObject* sender);
    // The handler of VersionMiss.
    void VersionMissExecute();

    // The waits of the scan; the platform's Sleep unless a test observes them.
    std::function<void(uint32_t milliseconds)> Pause;
    // Filter actions run through this (the window's handler); RunPluginFilter if empty.
    std::function<void(TAction*)> OnRunFilter;
    // The plug-in helper program, beside the program unless a test says otherwise.
    QString HelperProgram;
    // Reads one library for the scan; the plug-in helper if empty.
    std::function<TScannedLibrary(const std::string& path)> ReadLibrary;

    TPluginHostParts& Parts() { return FParts; }

    static constexpr const char* VersionMissText =
        "The version of this Plugin does not match. Please check for update!";

private:
    TPluginHostParts FParts;
    TPluginLoader FLoader;
    TPluginRunner FRunner;
};
