#include "platform/actions.h"

#include <QIcon>
#include <QWidget>
#include <utility>

#include "platform/dialogs.h"

namespace {

// The application-wide hooks; there is one application, so one of each.
std::function<void(QObject*)>& ActionHook()
{
    static std::function<void(QObject*)> hook;
    return hook;
}

std::function<void(QObject*, const std::exception*)>& ExceptionHook()
{
    static std::function<void(QObject*, const std::exception*)> hook;
    return hook;
}

QIcon DefaultImage(int index)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(index, 2, 10, QLatin1Char('0')));
}

} // namespace

TAction::TAction(TActionList* list, const QString& name)
    : QAction(list), FList(list)
{
    setObjectName(name);
    if (FList)
        FList->FActions.append(this);
    // A command that fails must not unwind through the toolkit's signal dispatch:
    // the failure is reported here, in the name of the window that owns the action.
    connect(this, &QAction::triggered, this, [this] {
        try {
            Execute();
        } catch (const std::exception& e) {
            if (!ApplicationEvents::HandleException(OwningWindow(), &e))
                Dialogs::ShowMessage(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            if (!ApplicationEvents::HandleException(OwningWindow(), nullptr))
                Dialogs::ShowMessage(QStringLiteral("Unknown exception"));
        }
    });
}

TAction::~TAction()
{
    if (FList)
        FList->FActions.removeOne(this);
}

QString TAction::Caption() const
{
    return text();
}

void TAction::SetCaption(const QString& caption)
{
    setText(caption);
    setIconText(caption);
}

void TAction::SetHint(const QString& hint)
{
    FHint = hint;
    setStatusTip(hint);
    setToolTip(hint);
}

void TAction::SetImageIndex(int index)
{
    FImageIndex = index;
    if (index < 0) {
        setIcon(QIcon());
        return;
    }
    if (FList && FList->ImageProvider)
        setIcon(FList->ImageProvider(index));
    else
        setIcon(DefaultImage(index));
}

void TAction::Execute()
{
    if (FList && FList->OnExecute)
        FList->OnExecute(this);
    ApplicationEvents::ActionExecuted(this);
    if (OnExecute)
        OnExecute(this);
}

QObject* TAction::OwningWindow() const
{
    for (QObject* o = parent(); o; o = o->parent()) {
        if (o->isWidgetType())
            return static_cast<QWidget*>(o)->window();
    }
    return const_cast<TAction*>(this);
}

TActionList::TActionList(QObject* owner, const QString& name) : QObject(owner)
{
    setObjectName(name);
}

TActionList::~TActionList()
{
    // The actions are children; delete them while the list of them is still alive.
    const QList<TAction*> actions = std::exchange(FActions, {});
    for (TAction* a : actions) {
        a->FList = nullptr;
        delete a;
    }
}

TAction* TActionList::FindAction(const QString& objectName) const
{
    for (TAction* a : FActions) {
        if (a->objectName() == objectName)
            return a;
    }
    return nullptr;
}

namespace ApplicationEvents {

void SetOnActionExecute(std::function<void(QObject* action)> hook)
{
    ActionHook() = std::move(hook);
}

void ActionExecuted(QObject* action)
{
    if (ActionHook())
        ActionHook()(action);
}

void SetOnException(std::function<void(QObject* sender, const std::exception* error)> hook)
{
    ExceptionHook() = std::move(hook);
}

bool HandleException(QObject* sender, const std::exception* error)
{
    if (!ExceptionHook())
        return false;
    ExceptionHook()(sender, error);
    return true;
}

} // namespace ApplicationEvents
