#pragma once
// The program's start, from the application object to just before the message loop,
// as one call the entry and the GUI tests share.

#include <QStringList>
#include <memory>

class TAboutBox;
class TForm1;

struct TStartup {
    TStartup();
    ~TStartup();  // the window first, then the box
    TStartup(TStartup&&) noexcept;
    TStartup& operator=(TStartup&&) noexcept;

    // Declared in this order so the window goes before the box it reports to.
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TForm1> Form1;
    bool PluginScanPosted = false;
};

inline constexpr const char* NoPluginSwitch = "-noplugin";
inline constexpr const char* NoDelaySwitch = "-nodelay";

// Needs the application object. arguments are the command-line arguments after the
// program name; only the first one counts. Sets the title and the German toolkit texts,
// shows the splash on top, creates the window, posts the plug-in scan (unless
// "-noplugin"), shows the window and queues the opening of the files the arguments name
// (app/CommandLine.h); the caller then runs the message loop.
TStartup RunStartup(const QStringList& arguments);
