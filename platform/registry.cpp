#include "platform/registry.h"

#include <QDir>
#include <QSettings>

namespace {

// "\Software\Tarvex Sonovane" -> "Software/Tarvex Sonovane": the store's groups nest with
// slashes; empty segments (leading, doubled or trailing separators) carry no meaning.
QString GroupFromKey(const QString& key)
{
    QString path = key;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() = default;

QString TRegistry::StoreFileName()
{
    // Read at every open, so the folder can change while the program (or a test) runs.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Sonovane/Sonovane.ini");
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    CloseKey();
    const QString group = GroupFromKey(key);
    if (group.isEmpty())
        return false;

    auto settings = std::make_unique<QSettings>(StoreFileName(), QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return false;

    // A key only exists in the store once it holds a value; an opened key that stays
    // empty leaves no trace.
    settings->beginGroup(group);
    const bool exists = !settings->allKeys().isEmpty();
    if (!exists && !(canCreate && settings->isWritable()))
        return false;

    FSettings = std::move(settings);
    FGroup = group;
    return true;
}

QString TRegistry::ReadString(const QString& name) const
{
    if (!FSettings)
        return {};
    const QVariant value = FSettings->value(name);
    // Only plain text is taken; anything else stored under the name reads as empty.
    if (value.typeId() != QMetaType::QString)
        return {};
    return value.toString();
}

bool TRegistry::ValueExists(const QString& name) const
{
    return FSettings && FSettings->contains(name);
}

bool TRegistry::WriteString(const QString& name, const QString& value)
{
    if (!FSettings || name.isEmpty())
        return false;
    FSettings->setValue(name, value);
    FSettings->sync();
    return FSettings->status() == QSettings::NoError;
}

void TRegistry::CloseKey()
{
    if (FSettings)
        FSettings->sync();
    FSettings.reset();
    FGroup.clear();
}
