#pragma once
// The files handed to the program on its command line, as a file manager's
// "Open with" passes them.

#include <QString>
#include <QStringList>

// arguments are those after the program name. The first is a switch when it is exactly
// "-noplugin" or "-nodelay" and a file otherwise; every later one is a file, whatever
// its spelling (only the first argument can be a switch). Relative names are made
// absolute against the current folder, so messages and the list name the file in full.
QStringList CommandLineFiles(const QStringList& arguments);
