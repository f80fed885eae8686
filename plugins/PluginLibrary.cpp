#include "plugins/PluginLibrary.h"

#include "platform/dynlib.h"

TPluginLibrary::TPluginLibrary(const QString& fileName)
    : FModule(LoadLibraryA(fileName.toLocal8Bit().constData()))
{
}

TPluginLibrary::~TPluginLibrary()
{
    if (FModule)
        FreeLibrary(FModule);
}

void* TPluginLibrary::Lookup(const char* name) const
{
    return FModule ? GetProcAddress(FModule, name) : nullptr;
}

QString PluginText(const char* text)
{
    return text ? QString::fromLocal8Bit(text) : QString();
}
