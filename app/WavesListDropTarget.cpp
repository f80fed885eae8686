#include "app/WavesListDropTarget.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QTimer>
#include <memory>

#include "app/DragSession.h"
#include "app/DroppedFiles.h"
#include "app/OutOfMemoryReport.h"
#include "app/WavesList.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

namespace {

// A new wave holding the source's selected samples and its format record.
std::unique_ptr<TTxWavStream> CopyOfSelection(const TTxWavStream& source)
{
    auto copy = std::make_unique<TTxWavStream>();
    copy->Format = source.Format;
    copy->FormatExtra = source.FormatExtra;
    const int32_t length = source.SelLength();
    if (length > 0) {
        if (source.SelStart() < 0 || source.SelEnd() >= source.Size())
            throw EWavStreamError(WavText::IndexOutOfRange);
        copy->Write(source.Memory() + source.SelStart(), length);
        copy->SetPosition(0);
    }
    return copy;
}

} // namespace

TWavesListDropTarget::TWavesListDropTarget(TDragSession& session, TWavesList& list, THint hint,
                                           TOpenFiles openFiles, QObject* parent)
    : QObject(parent), FSession(session), FList(list), FHint(std::move(hint)), FOpenFiles(std::move(openFiles))
{
    QWidget* viewport = FList.viewport();
    viewport->setAcceptDrops(true);
    viewport->setMouseTracking(true);
    viewport->installEventFilter(this);
}

bool TWavesListDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FList.viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        FHint(QString::fromLatin1(PointerHintText));
        return false;  // the list goes on with its own handling
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const TWDragObject* object = FSession.Dragged(drag->mimeData());
        const bool accepted = object ? WavesListDragOver(object, false) : !DroppedFiles(drag->mimeData()).isEmpty();
        return AnswerDrag(drag, accepted);
    }
    case QEvent::DragLeave:
        WavesListDragOver(FSession.Current(), true);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        FHint(QString());
        TWDragObject* object = FSession.Dragged(drop->mimeData());
        const QStringList files = object ? QStringList() : DroppedFiles(drop->mimeData());
        if (object && object->Wave) {
            const QPoint at = drop->position().toPoint();
            WavesListDragDrop(object, at.x(), at.y());
        } else if (!files.isEmpty()) {
            // Opened once the drop is over: failing files are reported one by one, and
            // the dragging program is not kept waiting for that.
            QTimer::singleShot(0, this, [this, files] { FOpenFiles(files); });
        } else {
            drop->ignore();
            return true;
        }
        return AnswerDrag(drop, true);
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool TWavesListDropTarget::WavesListDragOver(const TWDragObject* object, bool leave)
{
    if (leave) {
        FHint(QString());
        return false;
    }
    if (!object || !object->Wave)
        return false;
    FHint(QString::fromLatin1(DropHintText));
    return true;
}

void TWavesListDropTarget::WavesListDragDrop(TWDragObject* object, int x, int y)
{
    if (!object || !object->Wave)
        return;
    RunReportingOutOfMemory([&] {
        std::unique_ptr<TTxWavStream> copy = CopyOfSelection(*object->Wave);
        const QString caption = object->Description;
        QTreeWidgetItem* entry = FList.itemAt(x, y);
        if (entry) {
            // The entry's old wave goes; a drag of that very wave ends with it.
            FSession.WaveReleased(TWavesList::EntryWave(entry));
            for (int column = 1; column < entry->columnCount(); ++column)
                entry->setText(column, QString());
            entry->setText(0, caption);
            FList.SetEntryWave(entry, std::move(copy));
        } else {
            entry = FList.AppendEntry(caption, std::move(copy));
        }
        FList.StartRename(entry);
    });
}

void TWavesListDropTarget::AddWholeWaveToList(TWavPaintBox& pane)
{
    TTxWavStream& wave = *pane.Wave();
    if (wave.Size() == 0)
        return;
    RunReportingOutOfMemory([&] {
        auto copy = std::make_unique<TTxWavStream>();
        copy->Assign(wave);
        FList.StartRename(FList.AppendEntry(pane.WaveName, std::move(copy)));
    });
}
