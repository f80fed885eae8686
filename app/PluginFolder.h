#pragma once
// Where the plug-ins are looked for. Beside the program, as in a build tree or an
// unpacked copy; an installed program keeps its kit in a folder of its own under the
// installation prefix, found relative to the program so that a moved prefix still works.

#include <QString>

// The installed plug-in folder relative to the program folder ("../lib/sonovane/plugins"),
// as the build's install rules put it.
QString InstalledPluginSubfolder();

// programDir ends in "/". The program folder itself when a "*.txf" lies in it; else the
// installed plug-in folder when that exists; else the program folder, whose scan then
// simply finds nothing. The result ends in "/".
QString PluginFolder(const QString& programDir);

// PluginFolder, with the library loader pointed there when it is not the program folder
// (the loader resolves bare library names against the program folder by default).
QString UsePluginFolder(const QString& programDir);
