#include "app/DragSession.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QTreeWidget>

TDragSession::TDragSession(QObject* parent) : QObject(parent) {}

TDragSession::~TDragSession() = default;

TWDragObject& TDragSession::Begin(TWDragObject object)
{
    FCurrent.reset();
    ++FSerial;
    object.DropMode = dropNone;
    FCurrent = std::make_unique<TWDragObject>(std::move(object));
    FItemList = FCurrent->ListItem ? FCurrent->ListItem->treeWidget() : nullptr;
    return *FCurrent;
}

QByteArray TDragSession::TokenOf(quint64 serial) const
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(serial);
}

TWDragObject* TDragSession::Dragged(const QMimeData* mime) const
{
    if (!FCurrent || !mime || !mime->hasFormat(QString::fromLatin1(MimeType)))
        return nullptr;
    return mime->data(QString::fromLatin1(MimeType)) == TokenOf(FSerial) ? FCurrent.get() : nullptr;
}

QMimeData* TDragSession::MakeMimeData() const
{
    auto* mime = new QMimeData;
    if (FCurrent)
        mime->setData(QString::fromLatin1(MimeType), TokenOf(FSerial));
    return mime;
}

void TDragSession::Exec(QWidget* source)
{
    if (!FCurrent || FRunning)
        return;
    auto* drag = new QDrag(source);
    drag->setMimeData(MakeMimeData());
    struct TRunning {
        bool& Flag;
        explicit TRunning(bool& flag) : Flag(flag) { Flag = true; }
        ~TRunning() { Flag = false; }
    } running(FRunning);
    // Every target copies, the source keeps what it has; the trash can's deletion is
    // the target's own work too.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void TDragSession::WatchList(QTreeWidget* list)
{
    if (!list)
        return;
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, list](const QModelIndex& parent, int first, int last) {
                if (!FCurrent || !FCurrent->ListItem || FItemList != list || parent.isValid())
                    return;
                for (int row = first; row <= last; ++row)
                    if (list->topLevelItem(row) == FCurrent->ListItem)
                        return End();
            });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this, list] {
        if (FCurrent && FCurrent->ListItem && FItemList == list)
            End();
    });
}

void TDragSession::WaveReleased(const TTxWavStream* wave)
{
    if (FCurrent && wave && FCurrent->Wave == wave)
        End();
}

void TDragSession::End()
{
    FCurrent.reset();
    FItemList = nullptr;
    // The drag may go on under the pointer, but with nothing left to drop. Cancelled
    // once the loop runs again: a drop that removed the entry is still being handled.
    if (FRunning)
        QTimer::singleShot(0, this, [this] {
            if (FRunning && !FCurrent)
                QDrag::cancel();
        });
}

bool AnswerDrag(QDropEvent* event, bool accepted)
{
    if (accepted) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    return true;
}
