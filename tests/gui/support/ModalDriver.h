#pragma once
// Acts on the next modal window that comes up, from inside its own event loop: for
// tests of code that really opens a modal dialog (the dialog layer itself). Everything
// else answers dialogs through TScriptedDialogs and never opens one.
//
//   OnNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(...)->click(); });
//   Dialogs::Confirm("...");   // returns once the action has closed the box

#include <QWidget>
#include <functional>

// Polls until a modal widget other than notThis is active, then runs action on it once.
// Gives up quietly after timeoutMs (the test then fails on its own checks or times out
// on the still-open dialog, which the action's absence makes obvious).
void OnNextModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr,
                 int timeoutMs = 5000);
