#pragma once
// Actions as the window's commands: caption, hint, category, icon, shortcut and
// enabled state shared by every menu item and button bound to them.
// Execution order: the list's pre-execution handler, the application hook, the command.

#include <QAction>
#include <QList>
#include <QObject>
#include <QString>
#include <exception>
#include <functional>

class TActionList;

class TAction : public QAction {
    Q_OBJECT
public:
    explicit TAction(TActionList* list, const QString& name = QString());
    ~TAction() override;

    QString Caption() const;           // text without mnemonic processing changes
    void SetCaption(const QString& caption);
    QString Hint() const { return FHint; }
    void SetHint(const QString& hint); // also status tip and tool tip
    QString Category() const { return FCategory; }
    void SetCategory(const QString& category) { FCategory = category; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);     // -1 = none; icon from the window's icon list
    TActionList* ActionList() const { return FList; }

    std::function<void(TAction*)> OnExecute;

    // Runs the list handler, the application hook and OnExecute, in that order.
    // Triggering the QAction (menu, button, shortcut) calls this; a failure escaping
    // the command is handed to ApplicationEvents::HandleException there, never to Qt.
    // A direct call lets it propagate to the caller.
    void Execute();

    // The window the action belongs to (the first widget up its owner chain); the
    // object named in the unhandled-error report for a failing action.
    QObject* OwningWindow() const;

private:
    friend class TActionList;
    TActionList* FList;
    QString FHint;
    QString FCategory;
    int FImageIndex = -1;
};

class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* owner, const QString& name = QString());
    ~TActionList() override;

    // Called before every action of this list; may be empty.
    std::function<void(TAction*)> OnExecute;
    QList<TAction*> Actions() const { return FActions; }
    TAction* FindAction(const QString& objectName) const;

    // Resolves ImageIndex to icons.
    std::function<QIcon(int)> ImageProvider;

private:
    friend class TAction;
    QList<TAction*> FActions;
};

namespace ApplicationEvents {
// Hook run before every executed action's own command (after its list's handler).
void SetOnActionExecute(std::function<void(QObject* action)> hook);
void ActionExecuted(QObject* action);

// Hook for an error that escaped every handler (the unhandled-error report). sender is
// the object in whose event it arose; error is null for a non-standard exception.
void SetOnException(std::function<void(QObject* sender, const std::exception* error)> hook);
// Runs the hook; false when none is installed (the caller reports by itself then).
bool HandleException(QObject* sender, const std::exception* error);
} // namespace ApplicationEvents
