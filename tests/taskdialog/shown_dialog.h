#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "taskdialog/task_dialog_qt.h"
#include "taskdialog/task_message_window.h"

// Runs the dialog modally and, once its window is up, acts on it; a dialog the action leaves open is
// closed after ten seconds with -99, so a failing test never hangs.
inline int RunShown(TTaskDialogEx& dialog, const std::function<void(TTaskMessageForm&)>& act,
                    const std::function<int()>& show = {}) {
  QTimer::singleShot(0, &dialog, [&dialog, act] {
    if (TTaskMessageForm* form = dialog.MessageForm()) act(*form);
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&dialog] {
    if (TTaskMessageForm* form = dialog.MessageForm()) form->done(-99);
  });
  guard.start(10000);
  return show ? show() : dialog.ShowTaskDialog();
}

// Keeps the event loop running until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return condition();
}
