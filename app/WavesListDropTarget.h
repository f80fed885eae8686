#pragma once
// TWavesListDropTarget: the Waves list as a drop target, and the copy of a whole pane
// wave into it. A dropped wave's selection becomes a wave of its own: a new entry, or
// on an entry under the pointer that entry with a new wave and name; either way its
// caption opens for renaming. Sound files dragged from a file manager open as "Open
// Wave" opens them. While the pointer moves over the list without dragging, status
// panel 0 tells what the list is for.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QTreeWidgetItem;
class TDragSession;
class TWDragObject;
class TWavPaintBox;
class TWavesList;

class TWavesListDropTarget : public QObject {
    Q_OBJECT
public:
    // Shows a text in status panel 0 of the window; an empty text clears it.
    using THint = std::function<void(const QString& text)>;
    // Opens files into the list as "Open Wave" does.
    using TOpenFiles = std::function<void(const QStringList& files)>;

    TWavesListDropTarget(TDragSession& session, TWavesList& list, THint hint, TOpenFiles openFiles,
                         QObject* parent = nullptr);

    // Drag over: accepts a drag object with a wave ("Drop to add this wave"); on leave
    // (accept false) the panel is cleared.
    bool WavesListDragOver(const TWDragObject* object, bool leave);
    // The drop at (x, y) in the list's viewport: a copy of the wave's selection with
    // the drag's description as its caption, on the entry there or as a new entry.
    // Lack of memory is reported and adds nothing.
    void WavesListDragDrop(TWDragObject* object, int x, int y);
    // "Add whole wave to list": a copy of the pane's wave named after the pane, opened
    // for renaming. Nothing for an empty pane; lack of memory is reported.
    void AddWholeWaveToList(TWavPaintBox& pane);

    static constexpr const char* DropHintText = "Drop to add this wave";
    static constexpr const char* PointerHintText = "Waves list holds your sounds.";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDragSession& FSession;
    TWavesList& FList;
    THint FHint;
    TOpenFiles FOpenFiles;
};
