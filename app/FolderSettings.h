#pragma once
// The folders the open and save dialogs start in, remembered from one run to the next
// under the program's registry key.

#include <QString>

class TFolderSettings {
public:
    static constexpr const char* RegistryKey = "\\Software\\Tarvex Sonovane";

    QString OpenInitialDir;  // the open dialog's initial folder ("OpenPath")
    QString SaveInitialDir;  // the save dialog's initial folder ("SavePath")

    // Reads both folders without creating the key: a first run leaves the registry untouched.
    void Load();
    // Writes both folders, creating the key when needed.
    void Save() const;
};
