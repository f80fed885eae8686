#pragma once
// ShellExecuteA("open") on Linux: the address is handed to xdg-open.
#include <QString>

class QWidget;

inline constexpr int SW_SHOWNORMAL = 1;

// Result > 32 on success; on failure a value <= 32 from xdg-open's exit status
// (2: file not found, 31: no application for it).
int ShellExecuteA(QWidget* parent, const QString& verb, const QString& file,
                  const QString& parameters, const QString& directory, int showCommand);
