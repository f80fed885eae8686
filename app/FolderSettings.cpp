#include "app/FolderSettings.h"

#include "platform/registry.h"

void TFolderSettings::Load()
{
    TRegistry reg;
    if (reg.OpenKey(QString::fromLatin1(RegistryKey), false)) {
        OpenInitialDir = reg.ReadString(QStringLiteral("OpenPath"));
        SaveInitialDir = reg.ReadString(QStringLiteral("SavePath"));
        reg.CloseKey();
    }
}

void TFolderSettings::Save() const
{
    TRegistry reg;
    if (reg.OpenKey(QString::fromLatin1(RegistryKey), true)) {
        reg.WriteString(QStringLiteral("OpenPath"), OpenInitialDir);
        reg.WriteString(QStringLiteral("SavePath"), SaveInitialDir);
        reg.CloseKey();
    }
}
