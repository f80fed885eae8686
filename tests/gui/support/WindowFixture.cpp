#include "WindowFixture.h"

#include <QtTest>

#include "about/Unit2.h"
#include "app/main.h"
#include "ScriptedDialogs.h"

TWindowFixture::TWindowFixture() = default;

TWindowFixture::~TWindowFixture()
{
    Close();
}

bool TWindowFixture::Open(const TOptions& options)
{
    FDialogs = std::make_unique<TScriptedDialogs>();
    FDir = std::make_unique<QTemporaryDir>();
    if (options.BeforeWindow)
        options.BeforeWindow(*this);
    FAbout = std::make_unique<TAboutBox>();
    if (options.Splash)
        FAbout->ShowSplash();
    FForm = std::make_unique<TForm1>(FAbout.get());
    switch (options.Show) {
    case TShow::Hidden:
        return true;
    case TShow::Shown:
        FForm->show();
        return true;
    case TShow::Exposed:
        FForm->show();
        return QTest::qWaitForWindowExposed(FForm.get());
    case TShow::Active:
        FForm->show();
        FForm->activateWindow();
        return QTest::qWaitForWindowActive(FForm.get());
    }
    return false;
}

void TWindowFixture::Close()
{
    FForm.reset();
    FAbout.reset();
    FDialogs.reset();
    FDir.reset();
}
