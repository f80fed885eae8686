#pragma once
// Files dragged in from a file manager: the local files of a text/uri-list, in the
// order they were dragged. Anything else (remote addresses, no list) gives none.

#include <QStringList>

class QMimeData;

QStringList DroppedFiles(const QMimeData* mime);
