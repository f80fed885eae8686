#pragma once
// What the plug-in host works with, handed in by the window that owns it all: the
// Plugins menu and its actions, the quick button, the splash, both panes and both
// lists, the status text and the player. Nothing here is owned by the host.

#include <QString>
#include <functional>
#include <vector>

#include "plugins/StoredSelection.h"

class QMenu;
class QToolButton;
class QWidget;
class TAboutBox;
class TAction;
class TActionList;
class TWavesList;
class TWavPaintBox;

struct TPluginHostParts {
    QWidget* MainWindow = nullptr;        // repainted before the scan; its id goes to InitLib
    TAboutBox* Splash = nullptr;          // shows the scan's progress
    QString ProgramDir;                   // searched for "*.txf"; ends in "/"
    QMenu* PlugInMenu = nullptr;
    TActionList* PluginActions = nullptr; // receives one action per filter
    TAction* VersionMiss = nullptr;
    QToolButton* BtnQuickPlug = nullptr;
    TWavPaintBox* WorkingPane = nullptr;
    TWavPaintBox* FinalPane = nullptr;
    TWavesList* WavesList = nullptr;
    // The stored selections in list order, as their two hidden texts.
    std::function<std::vector<TStoredSelectionTexts>()> StoredSelections;
    std::function<void(const QString&)> ShowStatus;  // status panel 0 of the window
    std::function<void()> StopPlaying;
};
