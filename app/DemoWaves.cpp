// Filling the window from files without any dialog, for demonstrations and screenshots.
#include "app/main.h"

#include <QTreeWidgetItem>

#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

void TForm1::LoadDemoWaves(const QStringList& fileNames)
{
    if (fileNames.isEmpty())
        return;
    const int first = WavesList->topLevelItemCount();
    Opener->OpenFiles(fileNames);
    const int last = WavesList->topLevelItemCount() - 1;
    if (last < first)
        return;
    TTxWavStream* working = TWavesList::EntryWave(WavesList->topLevelItem(first));
    TTxWavStream* final = TWavesList::EntryWave(WavesList->topLevelItem(last));
    if (working) {
        WorkingPane->Wave()->Assign(*working);
        const int32_t size = WorkingPane->Wave()->Size();
        WorkingPane->SetSelection(size / 4, size / 2);
        WorkingPane->Repaint();
        WorkingPane->UpdateStatus();
    }
    if (final) {
        FinalPane->Wave()->Assign(*final);
        FinalPane->SelectAll();
    }
    WavesList->setCurrentItem(WavesList->topLevelItem(first));
}
