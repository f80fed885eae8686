// Opening WAV files into the Waves list: order, captions, Length texts, conversion,
// one message per failing file with its full name, and the hourglass around it all.

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <sndfile.h>

#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "conversion/ACMConvertor.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"

namespace {

void PutU16(QByteArray& b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void PutU32(QByteArray& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A plain 44-byte-header PCM file, written without the program's own writer.
QByteArray WavImage(int channels, int rate, int bits, const QByteArray& data, int dataSizeField = -1,
                    int formatTag = 1)
{
    const int align = channels * bits / 8;
    QByteArray b("RIFF");
    PutU32(b, 36 + data.size());
    b.append("WAVEfmt ");
    PutU32(b, 16);
    PutU16(b, formatTag);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, rate * align);
    PutU16(b, align);
    PutU16(b, bits);
    b.append("data");
    PutU32(b, dataSizeField >= 0 ? uint32_t(dataSizeField) : uint32_t(data.size()));
    b.append(data);
    return b;
}

QByteArray Ramp(int n, int step = 3)
{
    QByteArray d(n, '\0');
    for (int i = 0; i < n; ++i)
        d[i] = char((i * step) & 0xFF);
    return d;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray Bytes(const TTxWavStream& wave)
{
    return QByteArray(reinterpret_cast<const char*>(wave.Memory()), wave.Size());
}

// One second of a tone in a file libsndfile writes; false when it cannot write the kind.
bool WriteTone(const QString& path, int format, int channels, int rate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<short> samples(size_t(rate) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = short(std::lround(12000.0 * std::sin(2.0 * M_PI * 440.0 * double(i / channels) / rate)));
    sf_writef_short(f, samples.data(), rate);
    sf_close(f);
    return true;
}


} // namespace

class TestWaveOpener : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TScriptedDialogs> FDialogs;
    QList<Qt::CursorShape> FCursorAtMessage;
    QTemporaryDir FDir;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(FDir.isValid());
        qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    }
    void init()
    {
        FDialogs = std::make_unique<TScriptedDialogs>();
        FCursorAtMessage.clear();
        FDialogs->OnMessage = [this](const QString&) {
            const QCursor* c = QApplication::overrideCursor();
            FCursorAtMessage << (c ? c->shape() : Qt::ArrowCursor);
        };
    }
    void cleanup() { FDialogs.reset(); }

    void captionFromFileName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("caption");
        QTest::newRow("plain") << "/snd/door.wav" << "door";
        QTest::newRow("two points") << "/snd/door.open.wav" << "door.open";
        QTest::newRow("take") << "/home/u/take.1.wav" << "take.1";
        QTest::newRow("no point") << "/home/u/README" << "README";
        QTest::newRow("point in folder only") << "/a.b/c" << "c";
        QTest::newRow("backslashes") << "C:\\snd\\door.open.wav" << "door.open";
        QTest::newRow("mixed") << "/x\\y/z.WAV" << "z";
        QTest::newRow("no folder") << "bang.wav" << "bang";
        QTest::newRow("only extension") << "/snd/.wav" << "";
        QTest::newRow("trailing point") << "/snd/boom." << "boom";
    }
    void captionFromFileName()
    {
        QFETCH(QString, file);
        QFETCH(QString, caption);
        QCOMPARE(CaptionFromFileName(file), caption);
    }

    void failingFileIsReportedAndTheOthersAreOpened()
    {
        const QByteArray first = Ramp(1000);
        const QByteArray third = Ramp(777, 5);
        const QString a = Write(FDir, "first.wav", WavImage(1, 22050, 8, first));
        const QString b = Write(FDir, "second.wav", "This is a text file, not a sound.\n");
        const QString c = Write(FDir, "third.wav", WavImage(1, 22050, 8, third));

        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles({a, b, c});

        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("first"));
        QCOMPARE(list.topLevelItem(1)->text(0), QStringLiteral("third"));
        QCOMPARE(Bytes(*TWavesList::EntryWave(list.topLevelItem(0))), first);
        QCOMPARE(Bytes(*TWavesList::EntryWave(list.topLevelItem(1))), third);
        QCOMPARE(FDialogs->Messages,
                 QStringList{"Error opening file \"" + b + "\": Not a valid WAV file."});
        // The hourglass is up for the whole loop, messages included, and gone afterwards.
        QCOMPARE(FCursorAtMessage, QList<Qt::CursorShape>{Qt::WaitCursor});
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void everyKindOfFailureNamesTheFile()
    {
        const QString missing = FDir.filePath("gone.wav");
        const QString shortData = Write(FDir, "short.wav", WavImage(1, 22050, 8, Ramp(3000), 5000));
        const QString good = Write(FDir, "good.wav", WavImage(1, 22050, 8, Ramp(50)));
        // A format tag no converter knows, in a file that is otherwise fine.
        const QString unknown = Write(FDir, "unknown.wav", WavImage(2, 44100, 16, Ramp(4000), -1, 0x7A7A));

        TACMConvertor convertor;
        TWavesList list(nullptr);
        list.AppendEntry("already there", nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles({missing, shortData, unknown, good});

        QCOMPARE(FDialogs->Messages.size(), 3);
        QCOMPARE(FDialogs->Messages[0], "Error opening file \"" + missing + "\": Datei " + missing +
                                            " kann nicht ge\u00F6ffnet werden");
        QCOMPARE(FDialogs->Messages[1], "Error opening file \"" + shortData + "\": Index out of range!");
        QVERIFY2(FDialogs->Messages[2].startsWith("Error opening file \"" + unknown + "\": acmStreamOpen: "),
                 qPrintable(FDialogs->Messages[2]));
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("already there"));
        QCOMPARE(list.topLevelItem(1)->text(0), QStringLiteral("good"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Nothing chosen: nothing happens.
        opener.OpenFiles({});
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(FDialogs->Messages.size(), 3);
    }

    void captionsLengthsAndIndependentEntries()
    {
        const QString take = Write(FDir, "take.1.wav", WavImage(1, 22050, 8, Ramp(22050)));
        const QString readme = Write(FDir, "README", WavImage(1, 22050, 8, Ramp(1323000)));

        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles({take, readme, take});
        QVERIFY(FDialogs->Messages.isEmpty());
        QCOMPARE(list.topLevelItemCount(), 3);

        QTreeWidgetItem* t1 = list.topLevelItem(0);
        QTreeWidgetItem* r = list.topLevelItem(1);
        QTreeWidgetItem* t2 = list.topLevelItem(2);
        QCOMPARE(t1->text(0), QStringLiteral("take.1"));
        QCOMPARE(r->text(0), QStringLiteral("README"));
        QCOMPARE(t2->text(0), QStringLiteral("take.1"));
        QCOMPARE(t1->text(1), QStringLiteral("0' 1.000\""));
        QCOMPARE(r->text(1), QStringLiteral("1' 0.000\""));
        QCOMPARE(TWavesList::EntryWave(r)->Size(), 1323000);

        // The same file twice: two waves that do not share bytes.
        TTxWavStream* w1 = TWavesList::EntryWave(t1);
        TTxWavStream* w2 = TWavesList::EntryWave(t2);
        QVERIFY(w1 != w2);
        QCOMPARE(Bytes(*w1), Bytes(*w2));
        QVERIFY(w1->IsSameFormat(WorkingFormat()));
        // A copied fresh load selects the whole wave (the end setter reads 0 as the last).
        QCOMPARE(w1->SelStart(), 0);
        QCOMPARE(w1->SelEnd(), 22049);
        w1->SetByte(0, 99);
        QCOMPARE(w2->GetByte(0), uint8_t(0));
        list.RemoveEntry(t1);
        QCOMPARE(Bytes(*w2).left(3), QByteArray("\x00\x03\x06", 3));
    }

    void otherFormatsAreConverted()
    {
        // One second of a 16-bit stereo 44.1 kHz tone.
        const int frames = 44100;
        QByteArray data;
        for (int i = 0; i < frames; ++i) {
            const int v = int(std::lround(16000.0 * std::sin(2.0 * M_PI * 441.0 * i / 44100.0)));
            PutU16(data, v & 0xFFFF);
            PutU16(data, v & 0xFFFF);
        }
        const QString tone = Write(FDir, "tone stereo.wav", WavImage(2, 44100, 16, data));

        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles({tone});
        QVERIFY2(FDialogs->Messages.isEmpty(), qPrintable(FDialogs->Messages.join('\n')));
        QCOMPARE(list.topLevelItemCount(), 1);
        QTreeWidgetItem* entry = list.topLevelItem(0);
        QCOMPARE(entry->text(0), QStringLiteral("tone stereo"));
        TTxWavStream* wave = TWavesList::EntryWave(entry);
        QVERIFY(wave->IsSameFormat(WorkingFormat()));
        QCOMPARE(wave->Format.nSamplesPerSec, 22050u);
        // Half the frames: one second at 22050 samples per second.
        QCOMPARE(wave->Size(), frames / 2);
        QCOMPARE(entry->text(1), QStringLiteral("0' 1.000\""));
        // The tone survives: about 16000/32768 of full scale around 128.
        uint8_t lo = 255, hi = 0;
        for (int32_t i = 1000; i < wave->Size() - 1000; ++i) {
            lo = std::min(lo, wave->GetByte(i));
            hi = std::max(hi, wave->GetByte(i));
        }
        QVERIFY2(hi >= 187 && hi <= 191 && lo >= 65 && lo <= 69,
                 qPrintable(QString("%1..%2").arg(lo).arg(hi)));
    }

    // A FLAC whose header promises two seconds but that holds one (cut where a frame
    // ends, so libsndfile stops without an error): opened, with one message saying so.
    void fileEndingEarlyIsOpenedAndSaysHowMuch()
    {
        const QString cut = FDir.filePath("cut.flac");
        QVERIFY(WriteTone(cut, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 22050));
        QFile file(cut);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        QCOMPARE(bytes.mid(24, 2), QByteArray::fromHex("5622"));  // STREAMINFO: 22050 frames
        bytes[24] = char(0xAC);                                    // now 44100
        bytes[25] = char(0x44);
        file.seek(0);
        file.write(bytes);
        file.close();

        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles({cut});
        QCOMPARE(FDialogs->Messages,
                 QStringList{"File \"" + cut + "\" ended early: 1.000 of 2.000 seconds (50%) could be read; "
                             "that part was opened."});
        QCOMPARE(list.topLevelItemCount(), 1);
        QCOMPARE(TWavesList::EntryWave(list.topLevelItem(0))->Size(), 22050);
    }

    void soundFilesOpenThroughTheRealDialogWhichKeepsNoHistory()
    {
        // The toolkit's dialog on its own does write its history among the user's settings,
        // and remembers its last folder for the rest of the run.
        const QString history = FDir.filePath("config/QtProject.conf");
        delete new QFileDialog(nullptr, QString(), QStringLiteral("/"));
        QVERIFY(QFile::exists(history));
        QVERIFY(QFile::remove(history));

        QTemporaryDir dir;
        const QString files[] = {dir.filePath("tone.flac"), dir.filePath("tone.ogg"), dir.filePath("tone.mp3")};
        QVERIFY(WriteTone(files[0], SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100));
        QVERIFY(WriteTone(files[1], SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 44100));
        QString names = "\"tone.flac\" \"tone.ogg\"";
        if (WriteTone(files[2], SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 22050))
            names += " \"tone.mp3\"";
        else
            qInfo("This libsndfile cannot write MP3: the MP3 file is left out.");

        const QString previousDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TDialogHook* hook = Dialogs::SetHook(nullptr);
        TFileDialogOptions options;
        options.Filter = OpenDialogFilter();
        options.MultiSelect = true;
        QStringList filters;
        QString startDir;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            filters = dlg->nameFilters();
            startDir = dlg->directory().canonicalPath();
            dlg->setDirectory(dir.path()); // the names below are typed relative to it
            dlg->selectNameFilter(filters.value(1));
            dlg->findChild<QLineEdit*>("fileNameEdit")->setText(names);
            QMetaObject::invokeMethod(dlg, "accept");
        });
        const QStringList chosen = Dialogs::GetOpenFileNames(nullptr, options);
        Dialogs::SetHook(hook);
        QDir::setCurrent(previousDir);

        QCOMPARE(filters.size(), 3);
        QCOMPARE(filters[0], QStringLiteral("WAV Files (*.wav)"));
        QVERIFY2(filters[1].startsWith("Sound files (") && filters[1].endsWith(')'), qPrintable(filters[1]));
        const QStringList patterns = filters[1].mid(13).chopped(1).split(' ');
        for (const char* pattern : {"*.flac", "*.ogg", "*.oga", "*.opus", "*.mp3", "*.aiff", "*.wav"})
            QVERIFY2(patterns.contains(pattern), qPrintable(filters[1] + " lacks " + pattern));
        QCOMPARE(filters[2], QStringLiteral("All files (*)"));
        // Not where the earlier dialog was left: the working folder.
        QCOMPARE(startDir, QDir(dir.path()).canonicalPath());
        QCOMPARE(chosen.size(), names.count('"') / 2);

        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener(convertor, list).OpenFiles(chosen);
        QVERIFY2(FDialogs->Messages.isEmpty(), qPrintable(FDialogs->Messages.join('\n')));
        QCOMPARE(list.topLevelItemCount(), chosen.size());
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            QCOMPARE(list.topLevelItem(i)->text(0), QStringLiteral("tone"));
            QCOMPARE(list.topLevelItem(i)->text(1), QStringLiteral("0' 1.000\""));
            QVERIFY(TWavesList::EntryWave(list.topLevelItem(i))->IsSameFormat(WorkingFormat()));
        }
        QVERIFY(!QFile::exists(history));
    }
};

QTEST_MAIN(TestWaveOpener)
#include "tst_waveopener.moc"
