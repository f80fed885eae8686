#pragma once
// The window-wide playback keys: Space plays the working selection, Shift+Space plays it
// looped, releasing Ctrl stops (Esc is the Stop Sound action's own shortcut).

#include <functional>

class QAction;
class QEvent;
class QObject;
class QWidget;

class TPlaybackKeys {
public:
    // looped is the upper "Looped" item, play the action that plays the working selection.
    TPlaybackKeys(QWidget& window, QAction& looped, QAction& play, std::function<void()> stop)
        : FWindow(window), FLooped(looped), FPlay(play), FStop(std::move(stop))
    {
    }

    // Sees every key event of the application; acts on those meant for the window.
    // Never consumes one: the control still gets its key.
    bool Handle(QObject* receiver, QEvent* event);

private:
    QWidget& FWindow;
    QAction& FLooped;
    QAction& FPlay;
    std::function<void()> FStop;
};
