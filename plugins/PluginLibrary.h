#pragma once
// One plug-in library held for the length of a scope: loaded by its bare file name from
// the program folder, its exports looked up by name, and unloaded on every way out.
// A library is never kept beyond the use it was loaded for.

#include <QString>

#include "plugins/sonovane_plugin.h"

class TPluginLibrary {
public:
    explicit TPluginLibrary(const QString& fileName);
    ~TPluginLibrary();  // unloads
    TPluginLibrary(const TPluginLibrary&) = delete;
    TPluginLibrary& operator=(const TPluginLibrary&) = delete;

    bool Loaded() const { return FModule != nullptr; }
    // The export of that name as a function of type F, or null.
    template <class F>
    F Proc(const char* name) const
    {
        return reinterpret_cast<F>(Lookup(name));
    }

private:
    void* Lookup(const char* name) const;
    void* FModule = nullptr;
};

// Calls the library's FreeLib when the scope ends, however it ends. Declared after the
// library (so it runs before the unload) and after whatever must outlive the call.
class TFreeLibGuard {
public:
    explicit TFreeLibGuard(TFreeLib freeLib) : FFreeLib(freeLib) {}
    ~TFreeLibGuard()
    {
        if (FFreeLib)
            FFreeLib();
    }
    TFreeLibGuard(const TFreeLibGuard&) = delete;
    TFreeLibGuard& operator=(const TFreeLibGuard&) = delete;

private:
    TFreeLib FFreeLib;
};

// A text a library returned: 8-bit, copied at once; null reads as empty.
QString PluginText(const char* text);
