#pragma once
// What the plug-in host works with, handed in by the window that owns it all: the
// Plugins menu and its actions, the quick button, the splash, the document the filters
// work on (both pane waves, the Waves list's entries, the stored selections), the
// status text and the player. Nothing here is owned by the host.

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "document/ComposerDocument.h"

class QMenu;
class QToolButton;
class QWidget;
class TAboutBox;
class TAction;
class TActionList;

struct TPluginHostParts {
    QWidget* MainWindow = nullptr;        // repainted before the scan; its id goes to InitLib
    TAboutBox* Splash = nullptr;          // shows the scan's progress
    QString ProgramDir;                   // searched for "*.txf"; ends in "/"
    QMenu* PlugInMenu = nullptr;
    TActionList* PluginActions = nullptr; // receives one action per filter
    TAction* VersionMiss = nullptr;
    QToolButton* BtnQuickPlug = nullptr;
    std::shared_ptr<TComposerDocument> Document;
    // The name a pane shows, which a filter receives with its wave.
    std::function<QString(TPaneId pane)> PaneName;
    std::function<void(const QString&)> ShowStatus;  // status panel 0 of the window
    std::function<void()> StopPlaying;
};

// Where a library of the plug-in folder given by its bare file name is loaded from.
std::string PluginLibraryPath(const QString& fileName);
