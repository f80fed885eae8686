#pragma once
// The plug-in scan that runs once after start-up: the program folder is searched for
// "*.txf" libraries while the splash reports each one, with pauses so the splash can
// be read (none with "-nodelay"); at the end the splash goes away.

#include <QString>
#include <cstdint>
#include <functional>

class QWidget;
class TAboutBox;

class TPluginScan {
public:
    // mainWindow is repainted first; splash shows the progress; programDir ends in "/".
    TPluginScan(QWidget* mainWindow, TAboutBox* splash, const QString& programDir, bool noDelay);

    // Reads one library given by its bare file name into the Plugins menu. A failure
    // is reported as "Error loading plugin "<name>"" and the scan goes on.
    std::function<void(const QString& fileName)> LoadLibrary;
    // The waits between steps; the platform's Sleep unless a test observes them.
    std::function<void(uint32_t milliseconds)> Pause;

    static constexpr uint32_t PauseAfterLibrary = 250;
    static constexpr uint32_t PauseAfterScan = 500;

    // Runs the whole scan; returns the number of entries found.
    int Run();

private:
    void Wait(uint32_t milliseconds);

    QWidget* FMainWindow;
    TAboutBox* FSplash;
    QString FProgramDir;
    bool FNoDelay;
};
