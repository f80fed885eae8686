#pragma once
// The window's icons the Plugins menu and the quick button use, from the shared list.

#include <QIcon>
#include <QString>

namespace PluginIcons {
inline constexpr int WrongVersion = 22;  // prohibition sign with slash
inline constexpr int Loaded = 23;        // check mark
inline constexpr int QuickButton = 29;   // arrow into document

inline QIcon Icon(int index)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(index, 2, 10, QLatin1Char('0')));
}
} // namespace PluginIcons
