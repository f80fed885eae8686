// Composing by drag and drop: the window connects the drag session, the drag sources and
// the drop targets (both panes, both lists, the trash can) and the panes' tool buttons.
#include "app/main.h"

#include <QStatusBar>
#include <QToolButton>

#include "app/DragSession.h"
#include "app/DragSources.h"
#include "app/PaneDropTarget.h"
#include "app/SelectListDropTarget.h"
#include "app/SelectionsList.h"
#include "app/TrashCan.h"
#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "app/WavesListDropTarget.h"
#include "view/wavpaint.h"

void TForm1::ConnectDragDrop()
{
    const auto hint = [this](const QString& text) { statusBar()->showMessage(text); };
    DragSession = std::make_unique<TDragSession>();
    DragSession->WatchList(WavesList);
    DragSession->WatchList(SelectList);
    DragSources = std::make_unique<TDragSources>(
        *DragSession, TDragSources::TParts{WorkingPane, FinalPane, WavesList, SelectList, PaneMouse.get()}, hint);

    // Files dropped on a pane open into the list first; the first one opened goes on.
    PaneDrops = std::make_unique<TPaneDropTarget>(
        *DragSession, *WorkingPane, *DragDropAction, [this](const QStringList& files) -> QTreeWidgetItem* {
            const int before = WavesList->topLevelItemCount();
            Opener->OpenFiles(files);
            return before < WavesList->topLevelItemCount() ? WavesList->topLevelItem(before) : nullptr;
        });
    PaneDrops->Attach(*WorkingPane);
    PaneDrops->Attach(*FinalPane);
    WavesListDrops = std::make_unique<TWavesListDropTarget>(
        *DragSession, *WavesList, hint, [this](const QStringList& files) { Opener->OpenFiles(files); });
    SelectListDrops = std::make_unique<TSelectListDropTarget>(*DragSession, *SelectList);
    Trash = std::make_unique<TTrashCan>(
        *DragSession, TTrashCan::TParts{TrashCan, WorkingPane, FinalPane, WavesList, SelectList}, hint);

    connect(BtnAddWave1, &QToolButton::clicked, this, [this] { BtnAddWave1Click(); });
    connect(BtnAddWave2, &QToolButton::clicked, this, [this] { BtnAddWave2Click(); });
    connect(BtnDragSel1, &QToolButton::clicked, this, [this] { BtnDragSel1Click(); });
    connect(BtnDragSel2, &QToolButton::clicked, this, [this] { BtnDragSel2Click(); });
}

void TForm1::AddWholeWaveToList(TWavPaintBox* pane)
{
    WavesListDrops->AddWholeWaveToList(*pane);
}

void TForm1::BtnAddWave1Click()
{
    AddWholeWaveToList(WorkingPane);
}

void TForm1::BtnAddWave2Click()
{
    AddWholeWaveToList(FinalPane);
}

void TForm1::BtnDragSel1Click()
{
    DragSources->StartPaneDrag(*WorkingPane);
}

void TForm1::BtnDragSel2Click()
{
    DragSources->StartPaneDrag(*FinalPane);
}
