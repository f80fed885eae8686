#include "ModalDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace {

void Poll(std::shared_ptr<std::function<void(QWidget*)>> action, QPointer<QWidget> notThis,
          bool excludeSet, std::shared_ptr<QElapsedTimer> clock, int timeoutMs)
{
    QWidget* modal = QApplication::activeModalWidget();
    const bool fresh = modal && modal->isVisible() && (!excludeSet || modal != notThis.data());
    if (fresh) {
        (*action)(modal);
        return;
    }
    if (clock->elapsed() > timeoutMs)
        return;
    QTimer::singleShot(10, qApp, [=] { Poll(action, notThis, excludeSet, clock, timeoutMs); });
}

} // namespace

void OnNextModal(std::function<void(QWidget*)> action, QWidget* notThis, int timeoutMs)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto shared = std::make_shared<std::function<void(QWidget*)>>(std::move(action));
    QPointer<QWidget> exclude(notThis);
    QTimer::singleShot(0, qApp, [=] { Poll(shared, exclude, notThis != nullptr, clock, timeoutMs); });
}
