#pragma once
// TSelectListDropTarget: the selections list as a drop target. It hands the toolkit's
// drag notifications to the list's own storing rules: a pane's selection long enough
// is offered and, dropped, stored; nothing else is accepted.

#include <QObject>

class TDragSession;
class TSelectionsList;

class TSelectListDropTarget : public QObject {
    Q_OBJECT
public:
    TSelectListDropTarget(TDragSession& session, TSelectionsList& list, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDragSession& FSession;
    TSelectionsList& FList;
};
