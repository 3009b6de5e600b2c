#include "mainwindow/hint_pause.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <QWidget>

HintPause::HintPause(QObject* parent) : QObject(parent) {}

bool HintPause::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  auto* menu = qobject_cast<QMenu*>(widget);
  if (menu != nullptr && menu->toolTipsVisible()) {
    const auto* help = static_cast<QHelpEvent*>(event);
    QAction* item = menu->actionAt(help->pos());
    if (item == nullptr || item->toolTip().isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), item->toolTip(), menu, menu->actionGeometry(item), kHidePauseMs);
    }
    return true;
  }
  // A control's own duration stands; one that has none takes the program's.
  if (widget->toolTipDuration() <= 0) widget->setToolTipDuration(kHidePauseMs);
  return false;
}
