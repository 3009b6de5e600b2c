#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <string>
#include <vector>

namespace kestrune::test {

// One text a user sees on a window, with the language-file key that reaches it ("Caption",
// "GroupBox1.Caption", "TabSheet2.Caption", "gameview.Columns.Items(0).Caption", "ToolButton1.Hint").
// A control without a name gives a key beginning with ".".
struct WindowText {
  std::string key;
  QString text;
};

namespace window_texts_detail {

inline bool IsQtOwn(const QObject* object) { return object->objectName().startsWith(QLatin1String("qt_")); }

// Whether the object is part of the window: not on another window (its dialogs), not one of Qt's own
// helpers nor inside a composite control (a combo box's pop-up, a line edit's buttons).
inline bool OnWindow(const QObject* object, const QWidget* window) {
  if (IsQtOwn(object)) return false;
  for (const QObject* at = object; at != nullptr && at != window; at = at->parent()) {
    const auto* widget = qobject_cast<const QWidget*>(at);
    if (widget != nullptr && widget->isWindow() && qobject_cast<const QMenu*>(at) == nullptr) return false;
    if (at != object && qobject_cast<const QAbstractButton*>(at) == nullptr &&
        (at->inherits("QComboBox") || at->inherits("QLineEdit") || at->inherits("QAbstractSpinBox"))) {
      return false;
    }
  }
  return true;
}

inline std::string Key(const QObject* object, const char* property) {
  return object->objectName().toStdString() + "." + property;
}

inline QString WithoutMnemonic(QString text) { return text.remove(QLatin1Char('&')); }

// An item of a list control: "presets.Items.Strings[2]".
inline std::string ItemKey(const QObject* object, int index) {
  return object->objectName().toStdString() + ".Items.Strings[" + std::to_string(index) + "]";
}

}  // namespace window_texts_detail

// Every text the window shows: its title, labels, buttons, check boxes, radio buttons, group boxes,
// tab captions, list column captions, the items of combo boxes and lists, menus, menu items and the
// tool tips set on its controls.
inline std::vector<WindowText> VisibleTexts(QWidget* window) {
  using namespace window_texts_detail;
  std::vector<WindowText> texts;
  const auto add = [&texts](std::string key, const QString& text) {
    if (!text.isEmpty()) texts.push_back({std::move(key), text});
  };
  add("Caption", window->windowTitle());
  add("Hint", window->toolTip());
  for (QObject* object : window->findChildren<QObject*>()) {
    if (!OnWindow(object, window)) continue;
    if (auto* action = qobject_cast<QAction*>(object)) {
      if (action->isSeparator() || action->menu() != nullptr) continue;  // a menu's own item is the menu
      add(Key(action, "Caption"), action->text());
      if (action->toolTip() != WithoutMnemonic(action->text())) add(Key(action, "Hint"), action->toolTip());
      continue;
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) add(Key(menu, "Caption"), menu->title());
    if (auto* group = qobject_cast<QGroupBox*>(object)) add(Key(group, "Caption"), group->title());
    if (auto* label = qobject_cast<QLabel*>(object)) add(Key(label, "Caption"), label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
      auto* tool = qobject_cast<QToolButton*>(object);
      if (tool == nullptr || tool->defaultAction() == nullptr) add(Key(button, "Caption"), button->text());
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
      for (int i = 0; i < tabs->count(); ++i) add(Key(tabs->widget(i), "Caption"), tabs->tabText(i));
    }
    if (auto* view = qobject_cast<QTreeView*>(object); view != nullptr && !view->isHeaderHidden() && view->model()) {
      // A list that is one of a control's views is addressed by that control ("gameview").
      QObject* holder = view->parent();
      const bool onlyView = holder != nullptr && !holder->objectName().isEmpty() &&
                            holder->findChildren<QTreeView*>(Qt::FindDirectChildrenOnly).size() == 1;
      const QObject* named = onlyView ? holder : view;
      for (int column = 0; column < view->model()->columnCount(); ++column) {
        add(named->objectName().toStdString() + ".Columns.Items(" + std::to_string(column) + ").Caption",
            view->model()->headerData(column, Qt::Horizontal).toString());
      }
    }
    if (auto* box = qobject_cast<QComboBox*>(object)) {
      for (int i = 0; i < box->count(); ++i) add(ItemKey(box, i), box->itemText(i));
    }
    if (auto* list = qobject_cast<QListWidget*>(object)) {
      for (int i = 0; i < list->count(); ++i) add(ItemKey(list, i), list->item(i)->text());
    }
    if (auto* widget = qobject_cast<QWidget*>(object)) add(Key(widget, "Hint"), widget->toolTip());
  }
  return texts;
}

}  // namespace kestrune::test
