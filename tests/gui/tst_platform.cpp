// The Linux layers behind the program's system calls: settings store, dialogs and their
// test hook, the shell's "open", pointer guards and the German toolkit texts.

#include "platform/cursors.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/translations.h"
#include "support/FakeXdgOpen.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kKey = QStringLiteral("\\Software\\Tarvex Sonovane");

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FConfig;

private slots:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    }

    // --- settings store ------------------------------------------------------------

    void registryRoundTrip()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QCOMPARE(TRegistry::StoreFileName(), home.path() + "/Sonovane/Sonovane.ini");

        TRegistry reg;
        // First run: the key is not there, and looking for it creates nothing.
        QVERIFY(!reg.OpenKey(kKey, false));
        QVERIFY(!QFile::exists(TRegistry::StoreFileName()));
        QCOMPARE(reg.ReadString("OpenPath"), QString());
        QVERIFY(!reg.WriteString("OpenPath", "/x"));

        QVERIFY(reg.OpenKey(kKey, true));
        QVERIFY(reg.WriteString("OpenPath", "/home/u/My, sounds [1]; \"quoted\" = 100%"));
        QVERIFY(reg.WriteString("SavePath", ""));
        QVERIFY(reg.WriteString("Extra", "Kl\u00e4nge/\u00df"));
        reg.CloseKey();
        QVERIFY(QFile::exists(TRegistry::StoreFileName()));

        QVERIFY(reg.OpenKey(kKey, false));
        QCOMPARE(reg.ReadString("OpenPath"), QString("/home/u/My, sounds [1]; \"quoted\" = 100%"));
        QVERIFY(reg.ValueExists("SavePath"));
        QCOMPARE(reg.ReadString("SavePath"), QString(""));
        QCOMPARE(reg.ReadString("Extra"), QString("Kl\u00e4nge/\u00df"));
        QVERIFY(!reg.ValueExists("Missing"));
        QCOMPARE(reg.ReadString("Missing"), QString());
        reg.CloseKey();
        QCOMPARE(reg.ReadString("OpenPath"), QString());  // closed: nothing to read

        // The key path is the group, with its own slashes; a sibling key does not exist.
        QSettings raw(TRegistry::StoreFileName(), QSettings::IniFormat);
        QCOMPARE(raw.value("Software/Tarvex Sonovane/SavePath").toString(), QString(""));
        QVERIFY(!reg.OpenKey("\\Software\\Other", false));
        QVERIFY(reg.OpenKey("\\Software", false));  // a parent key exists with its child
        reg.CloseKey();
        QVERIFY(!reg.OpenKey("", true));

        // A value of another type than text reads as empty.
        raw.setValue("Software/Tarvex Sonovane/OpenPath", QStringList{"a", "b"});
        raw.sync();
        QVERIFY(reg.OpenKey(kKey, false));
        QCOMPARE(reg.ReadString("OpenPath"), QString());
        reg.CloseKey();

        // The folder is taken at each open: another one has no key.
        QTemporaryDir other;
        qputenv("XDG_CONFIG_HOME", other.path().toUtf8());
        QVERIFY(!reg.OpenKey(kKey, false));
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        QVERIFY(reg.OpenKey(kKey, false));
        reg.CloseKey();

        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    }

    void registryUnwritableStore()
    {
        QTemporaryDir home;
        WriteFile(home.filePath("plainfile"), "x");
        // A folder below a plain file can never be made, even by root.
        qputenv("XDG_CONFIG_HOME", home.filePath("plainfile/config").toUtf8());
        TRegistry reg;
        QVERIFY(!reg.OpenKey(kKey, true));
        QVERIFY(!reg.WriteString("OpenPath", "/x"));
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    }

    // --- dialogs: hook and filters --------------------------------------------------

    void scriptedDialogsRecordAndAnswer()
    {
        QCOMPARE(Dialogs::Hook(), nullptr);
        {
            TScriptedDialogs dialogs;
            QCOMPARE(Dialogs::Hook(), &dialogs);
            dialogs.ConfirmAnswers = {true, false};
            dialogs.DefaultConfirm = true;
            dialogs.OpenAnswers = {{"/a.wav", "/b.wav"}};
            dialogs.OpenBrowsing = {{"/a.wav", "/c.txt"}};
            dialogs.SaveAnswers = {"/out.wav"};

            Dialogs::ShowMessage("first");
            QVERIFY(Dialogs::Confirm("q1"));
            QVERIFY(!Dialogs::Confirm("q2"));
            QVERIFY(Dialogs::Confirm("q3"));   // script used up: the default

            TFileDialogOptions open;
            open.Title = "Open WAV";
            open.Filter = "WAV Files (*.wav)|*.wav";
            open.MultiSelect = true;
            QStringList pointed;
            QCOMPARE(Dialogs::GetOpenFileNames(nullptr, open, [&](const QString& f) { pointed << f; }),
                     QStringList({"/a.wav", "/b.wav"}));
            QCOMPARE(pointed, QStringList({"/a.wav", "/c.txt"}));
            QCOMPARE(Dialogs::GetOpenFileNames(nullptr, open), QStringList());  // cancelled

            TFileDialogOptions save;
            save.Title = "Save WAV";
            QCOMPARE(Dialogs::GetSaveFileName(nullptr, save), QString("/out.wav"));
            QCOMPARE(Dialogs::GetSaveFileName(nullptr, save), QString());

            QCOMPARE(dialogs.Messages, QStringList{"first"});
            QCOMPARE(dialogs.Questions, QStringList({"q1", "q2", "q3"}));
            QCOMPARE(dialogs.OpenRequests.size(), 2);
            QVERIFY(dialogs.OpenRequests[0].MultiSelect);
            QCOMPARE(dialogs.OpenRequests[0].Filter, QString("WAV Files (*.wav)|*.wav"));
            QCOMPARE(dialogs.Log, QStringList({"Message: first", "Confirm: q1", "Confirm: q2",
                                               "Confirm: q3", "Open: Open WAV", "Open: Open WAV",
                                               "Save: Save WAV", "Save: Save WAV"}));

            // Hooks nest: an inner one answers and then hands back to the outer.
            {
                TScriptedDialogs inner;
                Dialogs::ShowMessage("inner");
                QCOMPARE(inner.Messages, QStringList{"inner"});
            }
            QCOMPARE(Dialogs::Hook(), &dialogs);
            Dialogs::ShowMessage("second");
            QCOMPARE(dialogs.LastMessage(), QString("second"));
            dialogs.ClearRecord();
            QVERIFY(dialogs.Log.isEmpty());
        }
        QCOMPARE(Dialogs::Hook(), nullptr);
    }

    void filterConversion()
    {
        QCOMPARE(Dialogs::ToQtFilter("WAV Files (*.wav)|*.wav"), QString("WAV Files (*.wav)"));
        QCOMPARE(Dialogs::ToQtFilter("WAV Files (*.wav)|*.wav|All files (*.*)|*.*"),
                 QString("WAV Files (*.wav);;All files (*.*)"));
        QCOMPARE(Dialogs::ToQtFilter("Sounds|*.wav;*.aif"), QString("Sounds (*.wav *.aif)"));
        QCOMPARE(Dialogs::ToQtFilter("Sounds (*.wav;*.aif)|*.wav;*.aif"),
                 QString("Sounds (*.wav;*.aif) (*.wav *.aif)"));
        QCOMPARE(Dialogs::ToQtFilter("|*.wav"), QString("(*.wav)"));
        QCOMPARE(Dialogs::ToQtFilter("Dangling|*.wav|Alone"), QString("Dangling (*.wav)"));
        QCOMPARE(Dialogs::ToQtFilter("Empty|"), QString());
        QCOMPARE(Dialogs::ToQtFilter(""), QString());
    }

    // --- the real boxes and dialogs, driven from inside their loops -----------------

    void messageAndConfirmBoxes()
    {
        QVERIFY(Translations::InstallToolkitTexts());
        QString title, text, buttons;
        QMessageBox::Icon icon = QMessageBox::Critical;
        OnNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                buttons += b->text() + "|";
            box->buttons().first()->click();
        });
        Dialogs::ShowMessage("Error: Out of memory. Please try to clear undo buffer.");
        QCOMPARE(title, QString("Sonovane"));
        QCOMPARE(text, QString("Error: Out of memory. Please try to clear undo buffer."));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, QString("OK|"));

        for (const bool yes : {true, false}) {
            QStringList texts;
            OnNextModal([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                QVERIFY(box);
                title = box->windowTitle();
                icon = box->icon();
                QCOMPARE(box->buttons().size(), 2);
                texts << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
                QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            QCOMPARE(Dialogs::Confirm("Are you sure you want to clear the list?"), yes);
            QCOMPARE(title, QString("Sonovane"));
            QCOMPARE(icon, QMessageBox::Question);
            QCOMPARE(texts, QStringList({"&Ja", "&Nein"}));
        }
    }

    void openDialog()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("a.wav"), "RIFF");
        WriteFile(dir.filePath("b.wav"), "RIFF");
        TFileDialogOptions options;
        options.Title = "Open WAV";
        options.Filter = "WAV Files (*.wav)|*.wav";
        options.InitialDir = dir.path();
        options.MultiSelect = true;

        QStringList pointed;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            QVERIFY(dlg);
            QCOMPARE(dlg->windowTitle(), QString("Open WAV"));
            QVERIFY(dlg->testOption(QFileDialog::DontUseNativeDialog));
            QCOMPARE(dlg->fileMode(), QFileDialog::ExistingFiles);
            QCOMPARE(dlg->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dlg->nameFilters(), QStringList{"WAV Files (*.wav)"});
            QCOMPARE(QDir(dlg->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
            QVERIFY(dlg->isSizeGripEnabled());

            // A single pointed-at file is reported as it is; several selected files as
            // their quoted names, which name no file.
            emit dlg->currentChanged(dir.filePath("a.wav"));
            QTRY_COMPARE(pointed, QStringList{dir.filePath("a.wav")});
            auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(edit);
            edit->setText("\"a.wav\" \"b.wav\"");
            emit dlg->currentChanged(dir.filePath("b.wav"));
            QTRY_COMPARE(pointed.size(), 2);
            QCOMPARE(pointed[1], QString("\"a.wav\" \"b.wav\""));
            QMetaObject::invokeMethod(dlg, "accept");
        });
        QStringList chosen = Dialogs::GetOpenFileNames(nullptr, options,
                                                       [&](const QString& f) { pointed << f; });
        for (QString& f : chosen)
            f = QFileInfo(f).canonicalFilePath();
        QCOMPARE(chosen, QStringList({QFileInfo(dir.filePath("a.wav")).canonicalFilePath(),
                                      QFileInfo(dir.filePath("b.wav")).canonicalFilePath()}));

        // A name that does not exist is refused; cancelling gives nothing.
        bool stillOpen = false;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            QVERIFY(dlg);
            dlg->findChild<QLineEdit*>("fileNameEdit")->setText("missing.wav");
            OnNextModal([](QWidget* warning) {
                if (auto* box = qobject_cast<QMessageBox*>(warning))
                    box->buttons().first()->click();
            }, dlg);
            QMetaObject::invokeMethod(dlg, "accept");
            stillOpen = dlg->isVisible();
            dlg->reject();
        });
        QCOMPARE(Dialogs::GetOpenFileNames(nullptr, options), QStringList());
        QVERIFY(stillOpen);
    }

    void saveDialog()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath("old.wav"), "RIFF");
        TFileDialogOptions options;
        options.Title = "Save WAV";
        options.Filter = "WAV Files (*.wav)|*.wav";
        options.InitialDir = dir.path();
        options.DefaultExt = "wav";
        options.OverwritePrompt = true;

        // A typed name without extension gets ".wav".
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            QVERIFY(dlg);
            QCOMPARE(dlg->acceptMode(), QFileDialog::AcceptSave);
            QVERIFY(dlg->testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(!dlg->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dlg->defaultSuffix(), QString("wav"));
            QVERIFY(dlg->isSizeGripEnabled());
            dlg->findChild<QLineEdit*>("fileNameEdit")->setText("song");
            QMetaObject::invokeMethod(dlg, "accept");
        });
        QCOMPARE(QFileInfo(Dialogs::GetSaveFileName(nullptr, options)).fileName(), QString("song.wav"));

        // An existing file asks first; No returns to the dialog, Yes takes the name.
        // A folder that does not exist is refused with the toolkit's message.
        QStringList questions;
        bool openAfterNo = false;
        bool openAfterMissingFolder = false;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            QVERIFY(dlg);
            auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
            auto answer = [&](QMessageBox::StandardButton which) {
                OnNextModal([&, which](QWidget* m) {
                    auto* box = qobject_cast<QMessageBox*>(m);
                    QVERIFY(box);
                    questions << box->text();
                    QAbstractButton* b = box->button(which);
                    (b ? b : box->buttons().first())->click();
                }, dlg);
            };
            edit->setText(dir.filePath("nofolder/x"));
            answer(QMessageBox::Ok);
            QMetaObject::invokeMethod(dlg, "accept");
            openAfterMissingFolder = dlg->isVisible();

            edit->setText("old");
            answer(QMessageBox::No);
            QMetaObject::invokeMethod(dlg, "accept");
            openAfterNo = dlg->isVisible();

            edit->setText("old");
            answer(QMessageBox::Yes);
            QMetaObject::invokeMethod(dlg, "accept");
        });
        const QString chosen = Dialogs::GetSaveFileName(nullptr, options);
        QCOMPARE(QFileInfo(chosen).fileName(), QString("old.wav"));
        QVERIFY(openAfterMissingFolder);
        QVERIFY(openAfterNo);
        QCOMPARE(questions.size(), 3);
        QVERIFY2(questions[0].contains(dir.filePath("nofolder")), qPrintable(questions[0]));
        QVERIFY2(questions[0].contains("Verzeichnis"), qPrintable(questions[0]));  // German toolkit text
        QVERIFY2(questions[1].contains("old.wav"), qPrintable(questions[1]));
    }

    // --- shell ------------------------------------------------------------------------

    void shellOpenThroughXdgOpen()
    {
        TFakeXdgOpen opener;
        QTemporaryDir work;
        const QList<QPair<QByteArray, int>> table = {
            {"0", 42}, {"1", ERROR_BAD_FORMAT}, {"2", 2}, {"3", 31}, {"4", SE_ERR_DDEFAIL},
            {"5", SE_ERR_ACCESSDENIED}, {"9", SE_ERR_DDEFAIL}, {"kill", SE_ERR_DDEFAIL}};
        for (const auto& [status, expected] : table) {
            opener.SetExitStatus(status);
            opener.ClearLog();
            const int result = ShellExecuteA(nullptr, "open", "mailto:sonovane@example.org",
                                             "--ignored", work.path(), SW_SHOWNORMAL);
            QVERIFY2(result == expected, qPrintable(QString("status %1 gave %2").arg(status).arg(result)));
            // One argument only: the address; parameters do not reach a document's opener.
            QCOMPARE(opener.Log(), QDir(work.path()).canonicalPath().toUtf8() +
                                   "\n[mailto:sonovane@example.org]\n");
        }

        // The verb "open" in any case, or none; anything else is not known.
        opener.SetExitStatus("0");
        QCOMPARE(ShellExecuteA(nullptr, "OPEN", "x", "", "", SW_SHOWNORMAL), 42);
        QCOMPARE(ShellExecuteA(nullptr, "", "x", "", "", SW_SHOWNORMAL), 42);
        opener.ClearLog();
        QCOMPARE(ShellExecuteA(nullptr, "print", "x", "", "", SW_SHOWNORMAL), 31);
        QCOMPARE(ShellExecuteA(nullptr, "open", "", "", "", SW_SHOWNORMAL), 2);
        QVERIFY(!opener.Ran());

        // No xdg-open at all.
        opener.Remove();
        QCOMPARE(ShellExecuteA(nullptr, "open", "mailto:a@example.org", "", "", SW_SHOWNORMAL), 31);
    }

    void shellStartsProgramWithParameters()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("args");
        WriteArgumentLogger(dir.filePath("tool.sh"), log);
        QCOMPARE(ShellExecuteA(nullptr, "open", "tool.sh", "one \"two three\"", dir.path(), SW_SHOWNORMAL),
                 42);
        QTRY_VERIFY(QFile::exists(log));
        QCOMPARE(ReadFile(log), QByteArray("[one]\n[two three]\n"));
    }

    // --- pointer guard -------------------------------------------------------------------

    void cursorGuardRestoresOnEveryPath()
    {
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        {
            TCursorGuard wait(Qt::WaitCursor);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                TCursorGuard hand(Qt::PointingHandCursor);
                QCOMPARE(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
            }
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        try {
            TCursorGuard wait(Qt::WaitCursor);
            throw std::runtime_error("failed command");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

// The toolkit texts are checked before and after installing them, so this test must see
// an application without them first.
class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void germanStandardButtons()
    {
        QMessageBox before(QMessageBox::Question, "Sonovane", "?", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(before.button(QMessageBox::Yes)->text(), QString("&Yes"));

        QVERIFY(Translations::InstallToolkitTexts());
        QVERIFY(Translations::InstallToolkitTexts());  // once is enough; again is harmless

        QMessageBox after(QMessageBox::Question, "Sonovane", "?",
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(after.button(QMessageBox::Yes)->text(), QString("&Ja"));
        QCOMPARE(after.button(QMessageBox::No)->text(), QString("&Nein"));
        QCOMPARE(after.button(QMessageBox::Cancel)->text(), QString("Abbrechen"));
        QMessageBox ok(QMessageBox::NoIcon, "Sonovane", "!", QMessageBox::Ok);
        QCOMPARE(ok.button(QMessageBox::Ok)->text(), QString("OK"));
        QCOMPARE(QFileDialog::tr("Open"), QString("\u00d6ffnen"));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    int status = 0;
    {
        TestTranslations translations;
        status |= QTest::qExec(&translations, argc, argv);
    }
    {
        TestPlatform platform;
        status |= QTest::qExec(&platform, argc, argv);
    }
    return status;
}

#include "tst_platform.moc"
