#include "app/EffectCommands.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cstring>
#include <map>

#include "app/EffectDialog.h"
#include "effects/EffectCatalog.h"
#include "effects/EffectHelperProtocol.h"
#include "platform/actions.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "plugins/FilterRunWait.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProcess.h"
#include "plugins/SharedBlock.h"
#include "view/wavpaint.h"

using namespace EffectHelperProtocol;

namespace {

const QString NoEffects = QStringLiteral("No LADSPA or LV2 effects installed");
const QString Reading = QStringLiteral("Reading the installed effects...");
const QString Unreadable = QStringLiteral("The installed effects could not be read (a library crashed)");
// More than this many effects get a search dialog at the top of the menu.
constexpr size_t ScreenfulOfEffects = 30;
const char* const RegistryKey = "\\Software\\Tarvex Sonovane\\Effects";

std::string Encoded(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace

TEffectCommands::TEffectCommands(TParts parts) : FParts(std::move(parts))
{
    FParts.ApplyAction->OnExecute = [this](TAction*) {
        // The undo step is recorded; the bytes the helper made go in.
        TTxWavStream& wave = *FParts.Working->Wave();
        for (size_t i = 0; i < FResult.size(); ++i)
            wave.SetByte(wave.SelStart() + static_cast<int32_t>(i), FResult[i]);
        FResult.clear();
        FParts.Working->Refresh();
    };
}

TEffectCommands::~TEffectCommands() = default;

QString TEffectCommands::DefaultCacheFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Sonovane/effects.cache");
}

void TEffectCommands::Discover()
{
    const std::string cache = Encoded(FParts.CacheFile);
    const std::string key = EffectCatalog::Fingerprint(EffectCatalog::LadspaFolders(), EffectCatalog::Lv2Folders());
    if (EffectCatalog::ReadCache(cache, key, FEffects)) {
        FillMenu();
        return;
    }
    FParts.Menu->clear();
    FParts.Menu->addAction(Reading)->setEnabled(false);
    FScan = std::make_unique<TPluginHelperProcess>();
    try {
        FScan->Start(Encoded(FParts.HelperProgram), ScanMode);
    } catch (const EPluginHelper&) {
        FScan.reset();
        FillMenu();
        return;
    }
    TPluginMessage request(ScanRequest);
    request.PutText(cache);
    FScan->Channel().Send(request);
    FScanNotifier = new QSocketNotifier(FScan->Channel().Fd(), QSocketNotifier::Read, this);
    connect(FScanNotifier, &QSocketNotifier::activated, this, &TEffectCommands::ScanFinished);
}

void TEffectCommands::ScanFinished()
{
    FScanNotifier->setEnabled(false);
    FScanNotifier->deleteLater();
    FScanNotifier = nullptr;
    TPluginMessage answer;
    const bool done = FScan->Channel().Receive(answer, 0) == TPluginChannel::TReceived::Message && answer.Type == Done;
    FScan->Finish();
    FScan.reset();
    const std::string key = EffectCatalog::Fingerprint(EffectCatalog::LadspaFolders(), EffectCatalog::Lv2Folders());
    if (done && EffectCatalog::ReadCache(Encoded(FParts.CacheFile), key, FEffects)) {
        FillMenu();
        return;
    }
    // A library that crashed the reading: said in the menu, tried again at the next start.
    FEffects.clear();
    FParts.Menu->clear();
    FParts.Menu->addAction(Unreadable)->setEnabled(false);
    emit MenuFilled();
}

void TEffectCommands::FillMenu()
{
    QMenu* menu = FParts.Menu;
    menu->clear();
    if (FEffects.empty()) {
        menu->addAction(NoEffects)->setEnabled(false);
        emit MenuFilled();
        return;
    }
    if (FEffects.size() > ScreenfulOfEffects) {
        menu->addAction(tr("Search..."), this, &TEffectCommands::ShowSearch);
        menu->addSeparator();
    }
    std::map<std::string, QMenu*> categories;
    for (size_t i = 0; i < FEffects.size(); ++i) {
        const TEffectInfo& e = FEffects[i];
        QMenu*& sub = categories[e.Category];
        if (!sub)
            sub = menu->addMenu(QString::fromStdString(e.Category));
        QAction* item = sub->addAction(QString::fromStdString(e.Name));
        connect(item, &QAction::triggered, this, [this, i] { Choose(static_cast<int>(i)); });
    }
    emit MenuFilled();
}

void TEffectCommands::ShowSearch()
{
    QDialog dialog(FParts.Window);
    dialog.setWindowTitle(tr("Effects"));
    auto* column = new QVBoxLayout(&dialog);
    auto* field = new QLineEdit(&dialog);
    field->setPlaceholderText(tr("Type part of a name or category"));
    auto* list = new QListWidget(&dialog);
    column->addWidget(field);
    column->addWidget(list);
    for (size_t i = 0; i < FEffects.size(); ++i) {
        auto* row = new QListWidgetItem(
            QString::fromStdString(FEffects[i].Name + "  (" + FEffects[i].Category + ")"), list);
        row->setData(Qt::UserRole, static_cast<int>(i));
    }
    connect(field, &QLineEdit::textChanged, list, [list](const QString& text) {
        for (int r = 0; r < list->count(); ++r)
            list->item(r)->setHidden(!list->item(r)->text().contains(text, Qt::CaseInsensitive));
    });
    int chosen = -1;
    connect(list, &QListWidget::itemActivated, &dialog, [&](QListWidgetItem* row) {
        chosen = row->data(Qt::UserRole).toInt();
        dialog.accept();
    });
    dialog.resize(420, 480);
    if (dialog.exec() == QDialog::Accepted && chosen >= 0)
        Choose(chosen);
}

std::vector<uint8_t> TEffectCommands::WorkingSelection() const
{
    const TTxWavStream& wave = *FParts.Working->Wave();
    std::vector<uint8_t> bytes;
    if (wave.Size() == 0)
        return bytes;
    bytes.reserve(static_cast<size_t>(wave.SelLength()));
    for (int32_t i = wave.SelStart(); i <= wave.SelEnd(); ++i)
        bytes.push_back(wave.GetByte(i));
    return bytes;
}

void TEffectCommands::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(FEffects.size()))
        return;
    const TEffectInfo info = FEffects[static_cast<size_t>(index)];
    auto preview = [this, &info](const std::vector<float>& values) {
        std::vector<uint8_t> bytes = WorkingSelection();
        if (bytes.empty() || !Run(info, values, bytes))
            return;
        FPreview = std::make_unique<TTxWavStream>();
        FPreview->SetFormat(FParts.Working->Wave()->Format);
        FPreview->SetSize(static_cast<int64_t>(bytes.size()));
        std::memcpy(FPreview->Memory(), bytes.data(), bytes.size());
        FParts.Play(*FPreview);
    };
    TEffectDialog dialog(info, LastValues(info), preview, FParts.Stop, FParts.Window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::vector<float> values = dialog.Values();
    KeepValues(info, values);
    std::vector<uint8_t> bytes = WorkingSelection();
    if (bytes.empty() || !Run(info, values, bytes))
        return;
    FResult = std::move(bytes);
    FParts.ApplyAction->SetCaption(QString::fromStdString(info.Name));
    FParts.ApplyAction->Execute();
}

bool TEffectCommands::Run(const TEffectInfo& info, const std::vector<float>& values, std::vector<uint8_t>& bytes)
{
    const QString name = QString::fromStdString(info.Name);
    const QString library = QString::fromStdString(info.Library).section(QLatin1Char('/'), -1);
    TSharedBlock block;
    TPluginHelperProcess helper;
    try {
        TSharedBlock::Create(block, bytes.size());
        std::memcpy(block.Data(), bytes.data(), bytes.size());
        helper.Start(Encoded(FParts.HelperProgram), ApplyMode, block.Fd());
    } catch (const EPluginHelper& cannot) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(cannot.what()));
        return false;
    }
    TPluginMessage request(ApplyRequest);
    request.PutText(Encoded(FParts.CacheFile)).PutText(info.Id).PutInt32(static_cast<int32_t>(values.size()));
    for (const float v : values) {
        int32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        request.PutInt32(bits);
    }
    helper.Channel().Send(request);

    TFilterRunWait wait(FParts.Window, library, name);
    const bool answered = wait.Wait(helper.Channel().Fd(), [&helper] { helper.Kill(); });
    TPluginMessage answer;
    if (!answered || helper.Channel().Receive(answer) != TPluginChannel::TReceived::Message) {
        const TPluginHelperEnd end = helper.Wait();
        const QString what = QString::fromStdString(end.Description());
        const QString how = !answered       ? QStringLiteral("was stopped")
                            : end.Signalled ? QStringLiteral("crashed (%1)").arg(what)
                                            : QStringLiteral("quit (%1)").arg(what);
        Dialogs::ShowMessage(QStringLiteral("The effect \"%1\" of \"%2\" %3. Nothing was changed.").arg(name, library, how));
        return false;
    }
    helper.Finish();
    if (answer.Type != Done) {
        std::string why = "The effect could not be run.";
        try {
            why = answer.TakeText();
        } catch (const EPluginHelper&) {
        }
        Dialogs::ShowMessage(QString::fromStdString(why) + QStringLiteral(" Nothing was changed."));
        return false;
    }
    std::memcpy(bytes.data(), block.Data(), bytes.size());
    return true;
}

std::vector<float> TEffectCommands::LastValues(const TEffectInfo& info) const
{
    std::vector<float> values;
    for (const TEffectControl& c : info.Controls)
        values.push_back(c.Default);
    TRegistry reg;
    if (!reg.OpenKey(QString::fromLatin1(RegistryKey), false))
        return values;
    const QStringList kept = reg.ReadString(QString::fromStdString(info.Id)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    reg.CloseKey();
    if (kept.size() != static_cast<qsizetype>(values.size()))
        return values;  // the effect changed since: its defaults
    for (size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        const float v = kept[static_cast<qsizetype>(i)].toFloat(&ok);
        const TEffectControl& c = info.Controls[i];
        if (ok)
            values[i] = std::clamp(v, c.Min, c.Max);
    }
    return values;
}

void TEffectCommands::KeepValues(const TEffectInfo& info, const std::vector<float>& values) const
{
    QStringList text;
    for (const float v : values)
        text << QString::number(v, 'g', 9);
    TRegistry reg;
    if (reg.OpenKey(QString::fromLatin1(RegistryKey), true)) {
        reg.WriteString(QString::fromStdString(info.Id), text.join(QLatin1Char(' ')));
        reg.CloseKey();
    }
}
