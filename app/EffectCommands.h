#pragma once
// The Effects menu: the desktop's LADSPA and LV2 effects, grouped by category, each
// opening its parameter dialog and, on OK, applied to the working selection as one undo
// step named after it. Everything that loads an effect's library (reading the installed
// effects when the cache is out of date, the preview, applying) runs in
// sonovane-effect-helper: a crash or a hang there is a message, and nothing changes.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "effects/EffectInfo.h"

class QMenu;
class QSocketNotifier;
class QWidget;
class TAction;
class TPluginHelperProcess;
class TTxWavStream;
class TWavPaintBox;

class TEffectCommands : public QObject {
    Q_OBJECT
public:
    struct TParts {
        QWidget* Window = nullptr;
        QMenu* Menu = nullptr;             // the Effects menu, filled here
        TAction* ApplyAction = nullptr;    // "ModWave": recording its step, then the bytes go in
        TWavPaintBox* Working = nullptr;
        std::function<void(TTxWavStream& wave)> Play;  // the program's player
        std::function<void()> Stop;
        QString HelperProgram;             // sonovane-effect-helper
        QString CacheFile;                 // the installed effects, as last read
    };
    explicit TEffectCommands(TParts parts);
    ~TEffectCommands() override;

    // The menu from the cache when it is current; else a helper reads the effects while
    // the program goes on, and the menu is filled when it is done.
    void Discover();
    const std::vector<TEffectInfo>& Effects() const { return FEffects; }
    // The dialog of effect index, then applying it on OK.
    void Choose(int index);
    // Runs the effect over bytes in the helper; false (with the message shown) when it
    // failed, crashed or was stopped, bytes then as they were.
    bool Run(const TEffectInfo& info, const std::vector<float>& values, std::vector<uint8_t>& bytes);

    // The values last used for an effect, from the settings file (the defaults when none).
    std::vector<float> LastValues(const TEffectInfo& info) const;
    void KeepValues(const TEffectInfo& info, const std::vector<float>& values) const;

    // The usual place of the cache: $XDG_CACHE_HOME/Sonovane/effects.cache.
    static QString DefaultCacheFile();

signals:
    // The menu was filled (after a scan in the background too).
    void MenuFilled();

private:
    void FillMenu();
    void ScanFinished();
    void ShowSearch();
    std::vector<uint8_t> WorkingSelection() const;

    TParts FParts;
    std::vector<TEffectInfo> FEffects;
    std::unique_ptr<TPluginHelperProcess> FScan;
    QSocketNotifier* FScanNotifier = nullptr;
    std::vector<uint8_t> FResult;      // the bytes ApplyAction puts in
    std::unique_ptr<TTxWavStream> FPreview;
};
