#include "app/Startup.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include "about/Unit2.h"
#include "app/CommandLine.h"
#include "app/StartupFiles.h"
#include "app/main.h"
#include "conversion/WorkingFormatImage.h"
#include "platform/playsound.h"
#include "platform/translations.h"

TStartup::TStartup() = default;
TStartup::~TStartup() = default;
TStartup::TStartup(TStartup&&) noexcept = default;
TStartup& TStartup::operator=(TStartup&&) noexcept = default;

TStartup RunStartup(const QStringList& arguments)
{
    TStartup s;
    // 1. The title; the toolkit's own texts in German.
    QApplication::setApplicationName(QStringLiteral("Sonovane"));
    Translations::InstallToolkitTexts();
    // Files the sound card cannot take as they are play as opening them gives.
    PlaySound::SetDecoder(WorkingFormatImage);

    // 2. The splash: the About box, on top, not waited for.
    s.AboutBox = std::make_unique<TAboutBox>();
    s.AboutBox->ShowSplash();

    // 3. The main window (FormCreate runs inside).
    s.Form1 = std::make_unique<TForm1>(s.AboutBox.get());

    // 4. and 5. Only the first argument counts, compared exactly.
    const QString first = arguments.value(0);
    if (first != QLatin1String(NoPluginSwitch)) {
        QCoreApplication::postEvent(s.Form1.get(), new QEvent(static_cast<QEvent::Type>(WM_PLUGINSCAN)));
        s.PluginScanPosted = true;
    } else {
        s.AboutBox->WritePluginLine(QStringLiteral("No Plugins loaded!"));
    }
    s.Form1->SetNoDelay(first == QLatin1String(NoDelaySwitch));
    // The desktop's effects, once the scan (or its absence) is under way.
    QTimer::singleShot(0, s.Form1.get(), [form = s.Form1.get()] { form->DiscoverEffects(); });

    // 6. The message loop shows the window; the posted scan runs once it is up.
    s.Form1->show();
    // Stay-on-top is the window manager's business; without one (a bare X server) the
    // window mapped last would cover the splash, so restack it explicitly.
    if (s.AboutBox->isVisible())
        s.AboutBox->raise();

    // Files named on the command line ("Open with" of a file manager) open as "Open Wave"
    // opens them, once the scan has closed the splash (at once without a scan).
    const QStringList files = CommandLineFiles(arguments);
    if (!files.isEmpty()) {
        TForm1* form = s.Form1.get();
        new TStartupFiles(form, s.PluginScanPosted ? s.AboutBox.get() : nullptr, files,
                          [form](const QStringList& names) { form->OpenFiles(names); });
    }
    return s;
}
