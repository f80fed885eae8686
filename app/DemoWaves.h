#pragma once
// Filling the window from files without any dialog, for demonstrations and screenshots
// (SONOVANE_DEMO_WAVE).

#include <QStringList>

class TWaveOpener;
class TWavesList;
class TWavPaintBox;

// The files are opened into the Waves list as "Open Wave" would; the first is shown in
// the working pane with a selection, the last in the final pane. Failures are shown as
// messages.
void LoadDemoWaves(TWaveOpener& opener, TWavesList& list, TWavPaintBox& workingPane,
                   TWavPaintBox& finalPane, const QStringList& fileNames);
