#include "app/DemoWaves.h"

#include <QTreeWidgetItem>

#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

void LoadDemoWaves(TWaveOpener& opener, TWavesList& list, TWavPaintBox& workingPane,
                   TWavPaintBox& finalPane, const QStringList& fileNames)
{
    if (fileNames.isEmpty())
        return;
    const int first = list.topLevelItemCount();
    opener.OpenFiles(fileNames);
    const int last = list.topLevelItemCount() - 1;
    if (last < first)
        return;
    TTxWavStream* working = TWavesList::EntryWave(list.topLevelItem(first));
    TTxWavStream* final = TWavesList::EntryWave(list.topLevelItem(last));
    if (working) {
        workingPane.Wave()->Assign(*working);
        const int32_t size = workingPane.Wave()->Size();
        workingPane.SetSelection(size / 4, size / 2);
        workingPane.Repaint();
        workingPane.UpdateStatus();
    }
    if (final) {
        finalPane.Wave()->Assign(*final);
        finalPane.SelectAll();
    }
    list.setCurrentItem(list.topLevelItem(first));
}
