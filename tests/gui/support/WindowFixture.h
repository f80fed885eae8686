#pragma once
// The whole main window for a GUI test: the dialog script, a temporary folder, the About
// box and TForm1, made in that order and shown as the test needs; taken down in the
// order the program itself takes them down (the window before the box it reports to).
//
//   TWindowFixture Fx;
//   void init() { QVERIFY(Fx.Open()); }          // shown and exposed
//   void cleanup() { Fx.Close(); }
//   ... Fx.Form().close(); Fx.Window().WorkingPane(); Fx.Dialogs().Messages ...

#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "Form1TestAccess.h"

class TAboutBox;
class TForm1;
class TScriptedDialogs;

class TWindowFixture {
public:
    enum class TShow {
        Hidden,   // made, never shown
        Shown,    // shown, not waited for
        Exposed,  // shown and waited for until exposed
        Active    // shown, activated and waited for until active
    };
    struct TOptions {
        TShow Show = TShow::Exposed;
        bool Splash = false;  // the box comes up as the splash before the window is made
        // Runs once the dialog script and the folder exist, before the box and the window.
        std::function<void(TWindowFixture&)> BeforeWindow;
    };

    TWindowFixture();
    ~TWindowFixture();  // Close
    TWindowFixture(const TWindowFixture&) = delete;
    TWindowFixture& operator=(const TWindowFixture&) = delete;

    // Whether the window came up as asked (for QVERIFY in init).
    bool Open(const TOptions& options);
    bool Open(TShow show = TShow::Exposed)
    {
        TOptions options;
        options.Show = show;
        return Open(options);
    }
    void Close();

    TForm1& Form() const { return *FForm; }
    // The window's private members (Form1TestAccess.h).
    TForm1TestAccess Window() const { return TForm1TestAccess(*FForm); }
    TAboutBox& About() const { return *FAbout; }
    TScriptedDialogs& Dialogs() const { return *FDialogs; }
    QTemporaryDir& Dir() const { return *FDir; }

private:
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TAboutBox> FAbout;
    std::unique_ptr<TForm1> FForm;
};
