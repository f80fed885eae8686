#pragma once
// The remembered settings. A registry-like key store kept as a per-user INI file under
// $XDG_CONFIG_HOME (QSettings): the key path "\Software\Tarvex Sonovane" becomes the
// INI group "Software/Tarvex Sonovane". The store is opened and closed around each use.

#include <QString>
#include <memory>

class QSettings;

class TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Opens key (backslash-separated). Without canCreate a key that does not exist
    // yet fails (returns false); with it the key is created.
    bool OpenKey(const QString& key, bool canCreate);
    // A missing value reads as empty text.
    QString ReadString(const QString& name) const;
    bool ValueExists(const QString& name) const;
    // Raises nothing; returns false when the store cannot be written.
    bool WriteString(const QString& name, const QString& value);
    void CloseKey();

    // The INI file used, e.g. $XDG_CONFIG_HOME/Sonovane/Sonovane.ini.
    static QString StoreFileName();

private:
    std::unique_ptr<QSettings> FSettings;
    QString FGroup;
};
