#pragma once
// TDragSession: the one current drag object of the window and the toolkit drag that
// carries it. Each drag start releases the previous object and makes a new one, which
// stays current after the drag until the next start. The toolkit's drag data holds only
// a private type with a token of this process and this object, so every target can
// tell our drags from anything else dragged over it (files, text, another instance).
//
// The object refers to waves and entries it does not own. The session watches the
// lists the entries live in and is told of waves about to be released; when what the
// object refers to goes, the object goes too (and a running drag is cancelled), so no
// target ever reaches a released wave or entry.

#include <QByteArray>
#include <QObject>
#include <memory>

#include "app/DragObject.h"

class QDropEvent;
class QMimeData;
class QTreeWidget;
class QWidget;

// Answers a drag-over or drop event of a target: accepted as a copy, or ignored. Every
// target of the window answers alike, so a drag shows the same pointer over all of them.
// Returns true: the event is handled either way.
bool AnswerDrag(QDropEvent* event, bool accepted);

class TDragSession : public QObject {
    Q_OBJECT
public:
    // The private type of our drag data.
    static constexpr const char* MimeType = "application/x-sonovane-drag-object";

    explicit TDragSession(QObject* parent = nullptr);
    ~TDragSession() override;

    // Releases the previous drag object and makes object the current one.
    TWDragObject& Begin(TWDragObject object);
    // The current drag object, or null.
    TWDragObject* Current() const { return FCurrent.get(); }
    // The current drag object if mime is the data of its drag; null for anything else.
    TWDragObject* Dragged(const QMimeData* mime) const;
    // Drag data that names the current object (none: data no target accepts).
    QMimeData* MakeMimeData() const;
    // Runs the toolkit's drag of the current object from source until it is dropped or
    // cancelled (under the offscreen platform it returns at once).
    void Exec(QWidget* source);
    // Whether a toolkit drag runs now.
    bool Running() const { return FRunning; }

    // Entries leaving list (one by one, or all in a clear) end the drag of one of them.
    void WatchList(QTreeWidget* list);
    // wave is about to be released: the drag of it ends.
    void WaveReleased(const TTxWavStream* wave);

private:
    // Forgets the current object; a running drag is cancelled.
    void End();
    QByteArray TokenOf(quint64 serial) const;

    std::unique_ptr<TWDragObject> FCurrent;
    QTreeWidget* FItemList = nullptr;  // the list the current object's entry lives in
    quint64 FSerial = 0;
    bool FRunning = false;
};
