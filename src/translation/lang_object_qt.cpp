#include "translation/lang_object_qt.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QQueue>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <cmath>
#include <functional>
#include <string>
#include <unordered_map>

#include "platform/code_pages.h"

namespace kestrune::translation {

namespace {

using TextSetter = std::function<void(const QString&)>;
using IntegerSetter = std::function<void(int)>;
using EnumSetter = std::function<bool(std::string_view)>;
using ListSetter = std::function<void(const QStringList&)>;

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Named(const QObject* object, std::string_view name) {
  return platform::EqualsIgnoreAsciiCase(object->objectName().toStdString(), name);
}

// Qt's own widgets between a control and the controls on it (a tab widget's page stack, a scroll
// area's viewport) have no name or a "qt_" one.
bool IsHelper(const QObject* object) {
  const QString name = object->objectName();
  return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// A window the window owns (a dialog) is not part of it; its pop-up menus are.
bool IsOtherWindow(const QObject* object) {
  const auto* widget = qobject_cast<const QWidget*>(object);
  return widget != nullptr && widget->isWindow() && qobject_cast<const QMenu*>(object) == nullptr;
}

// The objects a window owns by their names in any letter case, the first of each name in breadth-first
// order. Made once per translation: a language file's keys each name an object, and a window holds
// more than a thousand of them.
class OwnedNames {
 public:
  explicit OwnedNames(QObject* window) {
    QQueue<QObject*> pending;
    pending.enqueue(window);
    while (!pending.isEmpty()) {
      for (QObject* child : pending.dequeue()->children()) {
        if (IsOtherWindow(child)) continue;
        if (!child->objectName().isEmpty()) objects_.try_emplace(child->objectName().toStdString(), child);
        pending.enqueue(child);
      }
    }
  }
  QObject* Find(std::string_view name) const {
    const auto found = objects_.find(name);
    return found == objects_.end() ? nullptr : found->second;
  }

 private:
  std::unordered_map<std::string, QObject*, platform::CaseInsensitiveHash, platform::CaseInsensitiveEqual> objects_;
};

QWidget* FindChildControl(QObject* control, std::string_view name) {
  QQueue<QObject*> pending;
  pending.enqueue(control);
  while (!pending.isEmpty()) {
    for (QObject* child : pending.dequeue()->children()) {
      if (!child->isWidgetType() || IsOtherWindow(child)) continue;
      if (Named(child, name)) return static_cast<QWidget*>(child);
      if (IsHelper(child)) pending.enqueue(child);
    }
  }
  return nullptr;
}

QTabWidget* TabWidgetOf(QWidget* page) {
  auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
  auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  return tabs != nullptr && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

// ---- Text properties ----

TextSetter CaptionOf(QObject* object) {
  if (auto* action = qobject_cast<QAction*>(object)) return [action](const QString& t) { action->setText(t); };
  if (auto* menu = qobject_cast<QMenu*>(object)) return [menu](const QString& t) { menu->setTitle(t); };
  if (auto* button = qobject_cast<QAbstractButton*>(object)) return [button](const QString& t) { button->setText(t); };
  if (auto* label = qobject_cast<QLabel*>(object)) return [label](const QString& t) { label->setText(t); };
  if (auto* group = qobject_cast<QGroupBox*>(object)) return [group](const QString& t) { group->setTitle(t); };
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return {};
  if (QTabWidget* tabs = TabWidgetOf(widget)) {
    return [tabs, widget](const QString& t) { tabs->setTabText(tabs->indexOf(widget), t); };
  }
  if (widget->isWindow()) return [widget](const QString& t) { widget->setWindowTitle(t); };
  return {};
}

// A hint "short|long" is a tool tip and a status-bar text; a hint without "|" is a tool tip only.
template <typename Target>
TextSetter HintSetter(Target* target) {
  return [target](const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    target->setToolTip(bar < 0 ? hint : hint.left(bar));
    if (bar >= 0) target->setStatusTip(hint.mid(bar + 1));
  };
}

TextSetter HintOf(QObject* object) {
  if (auto* button = qobject_cast<QToolButton*>(object); button != nullptr && button->defaultAction() != nullptr) {
    return HintSetter(button->defaultAction());  // the button shows its action's hint
  }
  if (auto* action = qobject_cast<QAction*>(object)) return HintSetter(action);
  if (auto* widget = qobject_cast<QWidget*>(object)) return HintSetter(widget);
  return {};
}

TextSetter TextOf(QObject* object) {
  if (auto* edit = qobject_cast<QLineEdit*>(object)) return [edit](const QString& t) { edit->setText(t); };
  if (auto* box = qobject_cast<QComboBox*>(object); box != nullptr && box->isEditable()) {
    return [box](const QString& t) { box->setEditText(t); };
  }
  return {};
}

struct TextProperty {
  const char* name;
  TextSetter (*of)(QObject*);
};
constexpr TextProperty kTextProperties[] = {{"Caption", CaptionOf}, {"Hint", HintOf}, {"Text", TextOf}};

// ---- Integer properties ----

QWidget* Control(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr && !widget->isWindow() ? widget : nullptr;
}

// A control, or a window the user does not size and place by saved settings.
QWidget* Sizable(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr || qobject_cast<QMainWindow*>(widget) != nullptr || qobject_cast<QMenu*>(widget) != nullptr) {
    return nullptr;
  }
  return widget;
}

IntegerSetter LeftOf(QObject* object) {
  QWidget* w = Control(object);
  return w != nullptr ? IntegerSetter([w](int v) { w->move(v, w->y()); }) : IntegerSetter();
}
IntegerSetter TopOf(QObject* object) {
  QWidget* w = Control(object);
  return w != nullptr ? IntegerSetter([w](int v) { w->move(w->x(), v); }) : IntegerSetter();
}
IntegerSetter WidthOf(QObject* object) {
  QWidget* w = Sizable(object);
  return w != nullptr ? IntegerSetter([w](int v) { w->resize(std::max(v, 0), w->height()); }) : IntegerSetter();
}
IntegerSetter HeightOf(QObject* object) {
  QWidget* w = Sizable(object);
  return w != nullptr ? IntegerSetter([w](int v) { w->resize(w->width(), std::max(v, 0)); }) : IntegerSetter();
}

// Positions, sizes and font sizes a language file gives are used only within these bounds: a window
// millions of pixels wide, or glyphs as large, would take gigabytes to draw.
constexpr std::int32_t kMaxLangPixels = 8192;
constexpr std::int32_t kMaxLangFontSize = 200;

bool InLangRange(std::int32_t value, std::int32_t limit) { return value >= -limit && value <= limit; }

// A colour as the Windows program gives it, an integer 0x00BBGGRR; the system's colours (negative
// values) and anything larger name no colour of their own.
std::optional<QColor> ColourOf(std::int32_t value) {
  if (value < 0 || value > 0xFFFFFF) return std::nullopt;
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

IntegerSetter PaletteSetter(QWidget* widget, std::initializer_list<QPalette::ColorRole> roles) {
  const std::vector<QPalette::ColorRole> kept(roles);
  return [widget, kept](int value) {
    const std::optional<QColor> colour = ColourOf(value);
    if (!colour) return;
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : kept) palette.setColor(role, *colour);
    widget->setPalette(palette);
  };
}

// A control's or window's colour is the background it fills.
IntegerSetter ColorOf(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return {};
  IntegerSetter fill = PaletteSetter(widget, {QPalette::Window, QPalette::Base});
  return [widget, fill](int value) {
    widget->setAutoFillBackground(true);
    fill(value);
  };
}

struct IntegerProperty {
  const char* name;
  IntegerSetter (*of)(QObject*);
  bool pixels;  // a position or size: bounded by kMaxLangPixels
};
constexpr IntegerProperty kIntegerProperties[] = {{"Left", LeftOf, true},
                                                  {"Top", TopOf, true},
                                                  {"Width", WidthOf, true},
                                                  {"Height", HeightOf, true},
                                                  {"Color", ColorOf, false}};

// ---- Enumeration properties ----

template <typename Value>
struct Element {
  std::string_view name;
  Value value;
};

template <typename Value, std::size_t N>
const Value* FindElement(const Element<Value> (&elements)[N], std::string_view name) {
  for (const Element<Value>& element : elements) {
    if (platform::EqualsIgnoreAsciiCase(element.name, name)) return &element.value;
  }
  return nullptr;
}

constexpr Element<Qt::AlignmentFlag> kAlignments[] = {
    {"taLeftJustify", Qt::AlignLeft}, {"taRightJustify", Qt::AlignRight}, {"taCenter", Qt::AlignHCenter}};
constexpr Element<Qt::LayoutDirection> kBiDiModes[] = {{"bdLeftToRight", Qt::LeftToRight},
                                                       {"bdRightToLeft", Qt::RightToLeft},
                                                       {"bdRightToLeftNoAlign", Qt::RightToLeft},
                                                       {"bdRightToLeftReadingOnly", Qt::RightToLeft}};

template <typename Widget>
EnumSetter AlignmentSetter(Widget* widget) {
  return [widget](std::string_view name) {
    const Qt::AlignmentFlag* flag = FindElement(kAlignments, name);
    if (flag == nullptr) return false;
    widget->setAlignment((widget->alignment() & Qt::AlignVertical_Mask) | *flag);
    return true;
  };
}

EnumSetter AlignmentOf(QObject* object) {
  if (auto* label = qobject_cast<QLabel*>(object)) return AlignmentSetter(label);
  if (auto* edit = qobject_cast<QLineEdit*>(object)) return AlignmentSetter(edit);
  return {};
}

constexpr Element<Qt::AlignmentFlag> kLayouts[] = {
    {"tlTop", Qt::AlignTop}, {"tlCenter", Qt::AlignVCenter}, {"tlBottom", Qt::AlignBottom}};
constexpr Element<bool> kBooleans[] = {{"False", false}, {"True", true}};

using BooleanSetter = std::function<void(bool)>;

EnumSetter FromBoolean(BooleanSetter set) {
  if (!set) return {};
  return [set = std::move(set)](std::string_view name) {
    const bool* value = FindElement(kBooleans, name);
    if (value != nullptr) set(*value);
    return value != nullptr;
  };
}

EnumSetter LayoutOf(QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (label == nullptr) return {};
  return [label](std::string_view name) {
    const Qt::AlignmentFlag* flag = FindElement(kLayouts, name);
    if (flag != nullptr) label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | *flag);
    return flag != nullptr;
  };
}

// Visible and Enabled: a menu item, a menu (by its item), a tab page (by its tab) or a control. A window
// is shown when the program opens it, and never disabled, since a disabled dialog could not be left.
EnumSetter SwitchOf(QObject* object, void (QAction::*onItem)(bool), void (QTabWidget::*onTab)(int, bool),
                    void (QWidget::*onControl)(bool)) {
  QAction* item = qobject_cast<QAction*>(object);
  if (auto* menu = qobject_cast<QMenu*>(object)) item = menu->menuAction();
  if (item != nullptr) return FromBoolean([item, onItem](bool on) { (item->*onItem)(on); });
  QWidget* widget = Control(object);
  if (widget == nullptr) return {};
  if (QTabWidget* tabs = TabWidgetOf(widget)) {
    return FromBoolean([tabs, widget, onTab](bool on) { (tabs->*onTab)(tabs->indexOf(widget), on); });
  }
  return FromBoolean([widget, onControl](bool on) { (widget->*onControl)(on); });
}

EnumSetter VisibleOf(QObject* object) {
  return SwitchOf(object, &QAction::setVisible, &QTabWidget::setTabVisible, &QWidget::setVisible);
}

EnumSetter EnabledOf(QObject* object) {
  return SwitchOf(object, &QAction::setEnabled, &QTabWidget::setTabEnabled, &QWidget::setEnabled);
}

EnumSetter CheckedOf(QObject* object) {
  if (auto* action = qobject_cast<QAction*>(object); action != nullptr && action->isCheckable()) {
    return FromBoolean([action](bool on) { action->setChecked(on); });
  }
  if (auto* button = qobject_cast<QAbstractButton*>(object); button != nullptr && button->isCheckable()) {
    return FromBoolean([button](bool on) { button->setChecked(on); });
  }
  return {};
}

EnumSetter WordWrapOf(QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  return label != nullptr ? FromBoolean([label](bool on) { label->setWordWrap(on); }) : EnumSetter();
}

// Keeps the tool tips of the controls whose hints a language file switched off from showing.
class HintSwitch : public QObject {
 public:
  static constexpr const char* kHidden = "kestruneHintsOff";
  static HintSwitch& Instance() {
    static HintSwitch filter;
    return filter;
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    return event->type() == QEvent::ToolTip && watched->property(kHidden).toBool();
  }
};

// As on the Windows program, a control's ShowHint passes on to the controls on it.
EnumSetter ShowHintOf(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return {};
  return FromBoolean([widget](bool on) {
    QList<QWidget*> controls = widget->findChildren<QWidget*>();
    controls.prepend(widget);
    for (QWidget* control : controls) {
      control->setProperty(HintSwitch::kHidden, !on);
      control->installEventFilter(&HintSwitch::Instance());
    }
  });
}

EnumSetter BiDiModeOf(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return {};
  return [widget](std::string_view name) {
    const Qt::LayoutDirection* direction = FindElement(kBiDiModes, name);
    if (direction != nullptr) widget->setLayoutDirection(*direction);
    return direction != nullptr;
  };
}

// Properties of the Windows program's controls that Qt's widgets do themselves (a label sizes itself, a
// control takes its parent's font unless given its own): a Boolean line for them is accepted and
// changes nothing.
EnumSetter WithoutCounterpartOf(QObject* object) {
  if (qobject_cast<QWidget*>(object) == nullptr) return {};
  return FromBoolean([](bool) {});
}

struct EnumProperty {
  const char* name;
  EnumSetter (*of)(QObject*);
};
constexpr EnumProperty kEnumProperties[] = {{"Alignment", AlignmentOf},
                                            {"BiDiMode", BiDiModeOf},
                                            {"Layout", LayoutOf},
                                            {"Visible", VisibleOf},
                                            {"Enabled", EnabledOf},
                                            {"Checked", CheckedOf},
                                            {"ShowHint", ShowHintOf},
                                            {"WordWrap", WordWrapOf},
                                            {"AutoSize", WithoutCounterpartOf},
                                            {"ParentFont", WithoutCounterpartOf},
                                            {"ParentColor", WithoutCounterpartOf},
                                            {"ParentShowHint", WithoutCounterpartOf},
                                            {"ParentBiDiMode", WithoutCounterpartOf},
                                            {"Transparent", WithoutCounterpartOf}};

// ---- String-list properties ----

ListSetter ItemsOf(QObject* object) {
  if (auto* box = qobject_cast<QComboBox*>(object)) {
    // The item chosen is a setting the program reads: it stays chosen, and no change is signalled.
    return [box](const QStringList& items) {
      const QSignalBlocker quiet(box);
      const int chosen = box->currentIndex();
      box->clear();
      box->addItems(items);
      box->setCurrentIndex(chosen < box->count() ? chosen : box->count() - 1);
    };
  }
  if (auto* list = qobject_cast<QListWidget*>(object)) {
    return [list](const QStringList& items) {
      list->clear();
      list->addItems(items);
    };
  }
  return {};
}

ListSetter LinesOf(QObject* object) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(object)) {
    return [edit](const QStringList& lines) { edit->setPlainText(lines.join(QLatin1Char('\n'))); };
  }
  if (auto* edit = qobject_cast<QTextEdit*>(object)) {
    return [edit](const QStringList& lines) { edit->setPlainText(lines.join(QLatin1Char('\n'))); };
  }
  return {};
}

struct ListProperty {
  const char* name;
  ListSetter (*of)(QObject*);
};
constexpr ListProperty kListProperties[] = {{"Items", ItemsOf}, {"Lines", LinesOf}};

// ---- Collections and nested objects ----

// A list column: its caption is the model's header text.
class ColumnItem : public LangObject {
 public:
  ColumnItem(QAbstractItemModel* model, int column) : model_(model), column_(column) {}
  std::string ClassName() const override { return "TListColumn"; }
  std::optional<PropertyKind> FindProperty(std::string_view name) const override {
    return platform::EqualsIgnoreAsciiCase(name, "Caption") ? std::optional(PropertyKind::kString) : std::nullopt;
  }
  void SetString(std::string_view, const std::string& value) override {
    model_->setHeaderData(column_, Qt::Horizontal, ToQString(value), Qt::DisplayRole);
  }

 private:
  QAbstractItemModel* model_;
  int column_;
};

class PanelItem : public LangObject {
 public:
  explicit PanelItem(QLabel* panel) : panel_(panel) {}
  std::string ClassName() const override { return "TStatusPanel"; }
  std::optional<PropertyKind> FindProperty(std::string_view name) const override {
    return platform::EqualsIgnoreAsciiCase(name, "Text") ? std::optional(PropertyKind::kString) : std::nullopt;
  }
  void SetString(std::string_view, const std::string& value) override { panel_->setText(ToQString(value)); }

 private:
  QLabel* panel_;
};

class FontObject : public LangObject {
 public:
  explicit FontObject(QWidget* widget) : widget_(widget) {}
  std::string ClassName() const override { return "TFont"; }
  // Style (a set of bold, italic ...) is not among them: it is ignored, as sets are.
  std::optional<PropertyKind> FindProperty(std::string_view name) const override {
    if (platform::EqualsIgnoreAsciiCase(name, "Size") || platform::EqualsIgnoreAsciiCase(name, "Height") ||
        platform::EqualsIgnoreAsciiCase(name, "Color")) {
      return PropertyKind::kInteger;
    }
    if (platform::EqualsIgnoreAsciiCase(name, "Name")) return PropertyKind::kString;
    return std::nullopt;
  }
  // A size of 0 (or a value that is not a number, or out of range) keeps the font's size.
  void SetInteger(std::string_view property, std::int32_t value) override {
    if (platform::EqualsIgnoreAsciiCase(property, "Color")) {
      PaletteSetter(widget_, {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})(value);
      return;
    }
    if (value == 0 || !InLangRange(value, kMaxLangFontSize)) return;
    QFont font = widget_->font();
    if (platform::EqualsIgnoreAsciiCase(property, "Size")) {
      font.setPointSize(std::abs(value));
    } else {
      font.setPixelSize(std::abs(value));  // the Windows program's negative heights are pixel sizes too
    }
    widget_->setFont(font);
  }
  void SetString(std::string_view, const std::string& value) override {
    if (value.empty()) return;
    QFont font = widget_->font();
    font.setFamily(ToQString(value));
    widget_->setFont(font);
  }

 private:
  QWidget* widget_;
};

// The view whose columns a "Columns" key names: a tree or table view, or a control that holds
// exactly one (the game list, which also holds its icon view).
QAbstractItemView* ColumnsView(QObject* object) {
  if (qobject_cast<QTreeView*>(object) != nullptr || qobject_cast<QTableView*>(object) != nullptr) {
    return static_cast<QAbstractItemView*>(object);
  }
  QList<QAbstractItemView*> views;
  for (QObject* child : object->children()) {
    if (qobject_cast<QTreeView*>(child) != nullptr || qobject_cast<QTableView*>(child) != nullptr) {
      views.append(static_cast<QAbstractItemView*>(child));
    }
  }
  return views.size() == 1 ? views.front() : nullptr;
}

int ColumnCount(QObject* object) {
  QAbstractItemView* view = ColumnsView(object);
  if (view == nullptr) return -1;
  return view->model() != nullptr ? view->model()->columnCount() : 0;
}
std::unique_ptr<LangObject> ColumnOf(QObject* object, int index) {
  return std::make_unique<ColumnItem>(ColumnsView(object)->model(), index);
}

QList<QLabel*> Panels(QObject* object) {
  auto* bar = qobject_cast<QStatusBar*>(object);
  return bar != nullptr ? bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly) : QList<QLabel*>();
}
int PanelCount(QObject* object) {
  return qobject_cast<QStatusBar*>(object) != nullptr ? static_cast<int>(Panels(object).size()) : -1;
}
std::unique_ptr<LangObject> PanelOf(QObject* object, int index) {
  return std::make_unique<PanelItem>(Panels(object)[index]);
}

struct CollectionProperty {
  const char* name;
  int (*count)(QObject*);  // -1: the object has no such collection
  std::unique_ptr<LangObject> (*item)(QObject*, int);
};
constexpr CollectionProperty kCollections[] = {{"Columns", ColumnCount, ColumnOf}, {"Panels", PanelCount, PanelOf}};

// A control's size limits: "Constraints.MinWidth" and the like (0 for no limit).
class ConstraintsObject : public LangObject {
 public:
  explicit ConstraintsObject(QWidget* widget) : widget_(widget) {}
  std::string ClassName() const override { return "TSizeConstraints"; }
  std::optional<PropertyKind> FindProperty(std::string_view name) const override {
    return Setter(name) != nullptr ? std::optional(PropertyKind::kInteger) : std::nullopt;
  }
  void SetInteger(std::string_view property, std::int32_t value) override {
    if (value < 0 || value > kMaxLangPixels) return;
    (widget_->*Setter(property))(value != 0 ? value : Unlimited(property));
  }

 private:
  using Set = void (QWidget::*)(int);
  static Set Setter(std::string_view name) {
    if (platform::EqualsIgnoreAsciiCase(name, "MinWidth")) return &QWidget::setMinimumWidth;
    if (platform::EqualsIgnoreAsciiCase(name, "MinHeight")) return &QWidget::setMinimumHeight;
    if (platform::EqualsIgnoreAsciiCase(name, "MaxWidth")) return &QWidget::setMaximumWidth;
    if (platform::EqualsIgnoreAsciiCase(name, "MaxHeight")) return &QWidget::setMaximumHeight;
    return nullptr;
  }
  static int Unlimited(std::string_view name) {
    return platform::EqualsIgnoreAsciiCase(name.substr(0, 3), "Max") ? QWIDGETSIZE_MAX : 0;
  }
  QWidget* widget_;
};

std::unique_ptr<LangObject> FontOf(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr ? std::make_unique<FontObject>(widget) : nullptr;
}

std::unique_ptr<LangObject> ConstraintsOf(QObject* object) {
  QWidget* widget = Control(object);
  return widget != nullptr ? std::make_unique<ConstraintsObject>(widget) : nullptr;
}

struct ObjectProperty {
  const char* name;
  std::unique_ptr<LangObject> (*of)(QObject*);
};
constexpr ObjectProperty kObjects[] = {{"Font", FontOf}, {"Constraints", ConstraintsOf}};

// ---- Qt's own properties ----

bool IsObjectProperty(const QMetaProperty& property) {
  return (property.metaType().flags() & QMetaType::PointerToQObject) != 0;
}

// The properties of an object's meta-object that a language file may set, by their names in any letter
// case: writable ones, but not the object's name (by which the program and the language files find it),
// and the objects it holds, whose properties are set even when the holder's property cannot be (Qt
// gives most of them read-only).
class MetaProperties {
 public:
  explicit MetaProperties(const QObject* object) {
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
      const QMetaProperty property = meta->property(i);
      const bool settable = property.isWritable() || (property.isReadable() && IsObjectProperty(property));
      if (settable && std::string_view(property.name()) != "objectName") {
        properties_.try_emplace(property.name(), property);
      }
    }
  }
  std::optional<QMetaProperty> Find(std::string_view name) const {
    const auto found = properties_.find(name);
    return found == properties_.end() ? std::nullopt : std::optional(found->second);
  }

 private:
  std::unordered_map<std::string, QMetaProperty, platform::CaseInsensitiveHash, platform::CaseInsensitiveEqual>
      properties_;
};

std::optional<PropertyKind> MetaKindOf(const QMetaProperty& property) {
  if (property.isEnumType()) {
    return property.isFlagType() ? PropertyKind::kOther : PropertyKind::kEnumeration;
  }
  if (IsObjectProperty(property)) return PropertyKind::kObject;
  const QMetaType type = property.metaType();
  switch (type.id()) {
    case QMetaType::Bool:
      return PropertyKind::kEnumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::QColor:
      return PropertyKind::kInteger;
    case QMetaType::Double:
    case QMetaType::Float:
      return PropertyKind::kFloat;
    case QMetaType::QString:
      return PropertyKind::kString;
    case QMetaType::QStringList:
      return PropertyKind::kStringList;
    default:
      return PropertyKind::kOther;
  }
}

bool WriteMetaEnumeration(QObject* object, const QMetaProperty& property, std::string_view element) {
  if (property.metaType().id() == QMetaType::Bool) {
    const bool* value = FindElement(kBooleans, element);
    return value != nullptr && property.write(object, *value);
  }
  const QMetaEnum enumeration = property.enumerator();
  for (int i = 0; i < enumeration.keyCount(); ++i) {
    if (platform::EqualsIgnoreAsciiCase(enumeration.key(i), element)) {
      return property.write(object, enumeration.value(i));
    }
  }
  return false;
}

void WriteMetaInteger(QObject* object, const QMetaProperty& property, std::int32_t value) {
  if (property.metaType().id() == QMetaType::QColor) {
    if (const std::optional<QColor> colour = ColourOf(value)) property.write(object, *colour);
    return;
  }
  if (InLangRange(value, kMaxLangPixels)) property.write(object, value);
}

template <typename Entry, std::size_t N>
const Entry* FindEntry(const Entry (&table)[N], std::string_view name) {
  for (const Entry& entry : table) {
    if (platform::EqualsIgnoreAsciiCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

bool InTables(std::string_view name) {
  return FindEntry(kTextProperties, name) != nullptr || FindEntry(kIntegerProperties, name) != nullptr ||
         FindEntry(kEnumProperties, name) != nullptr || FindEntry(kListProperties, name) != nullptr ||
         FindEntry(kCollections, name) != nullptr || FindEntry(kObjects, name) != nullptr;
}

// A window, or an object on it.
class QtLangObject : public LangObject {
 public:
  QtLangObject(QObject* object, bool isWindow) : object_(object), isWindow_(isWindow) {}

  std::string ClassName() const override { return object_->metaObject()->className(); }

  std::optional<PropertyKind> FindProperty(std::string_view name) const override {
    if (const auto* e = FindEntry(kTextProperties, name); e != nullptr && e->of(object_)) return PropertyKind::kString;
    if (const auto* e = FindEntry(kIntegerProperties, name); e != nullptr && e->of(object_)) {
      return PropertyKind::kInteger;
    }
    if (const auto* e = FindEntry(kEnumProperties, name); e != nullptr && e->of(object_)) {
      return PropertyKind::kEnumeration;
    }
    if (const auto* e = FindEntry(kListProperties, name); e != nullptr && e->of(object_)) {
      return PropertyKind::kStringList;
    }
    if (const auto* e = FindEntry(kCollections, name); e != nullptr && e->count(object_) >= 0) {
      return PropertyKind::kCollection;
    }
    if (const auto* e = FindEntry(kObjects, name); e != nullptr && e->of(object_)) return PropertyKind::kObject;
    // A name the program maps that does not apply to this object (a window's Visible) is not Qt's to set.
    if (InTables(name)) return std::nullopt;
    if (const std::optional<QMetaProperty> property = Meta().Find(name)) return MetaKindOf(*property);
    return std::nullopt;
  }

  // Each setter is reached only for a property FindProperty found: the program's names first, then Qt's.
  void SetString(std::string_view property, const std::string& value) override {
    if (const auto* e = FindEntry(kTextProperties, property); e != nullptr && e->of(object_)) {
      e->of(object_)(ToQString(value));
    } else if (const std::optional<QMetaProperty> meta = Meta().Find(property)) {
      meta->write(object_, ToQString(value));
    }
  }
  void SetInteger(std::string_view property, std::int32_t value) override {
    if (const auto* e = FindEntry(kIntegerProperties, property); e != nullptr && e->of(object_)) {
      if (!e->pixels || InLangRange(value, kMaxLangPixels)) e->of(object_)(value);
    } else if (const std::optional<QMetaProperty> meta = Meta().Find(property)) {
      WriteMetaInteger(object_, *meta, value);
    }
  }
  bool SetEnumeration(std::string_view property, std::string_view element) override {
    if (const auto* e = FindEntry(kEnumProperties, property); e != nullptr && e->of(object_)) {
      return e->of(object_)(element);
    }
    const std::optional<QMetaProperty> meta = Meta().Find(property);
    return meta && WriteMetaEnumeration(object_, *meta, element);
  }
  void SetFloat(std::string_view property, double value) override {
    if (const std::optional<QMetaProperty> meta = Meta().Find(property); meta && std::isfinite(value)) {
      meta->write(object_, value);
    }
  }
  void SetStrings(std::string_view property, const std::vector<std::string>& items) override {
    QStringList list;
    for (const std::string& item : items) list.append(ToQString(item));
    if (const auto* e = FindEntry(kListProperties, property); e != nullptr && e->of(object_)) {
      e->of(object_)(list);
    } else if (const std::optional<QMetaProperty> meta = Meta().Find(property)) {
      meta->write(object_, list);
    }
  }
  int ItemCount(std::string_view collection) const override {
    return FindEntry(kCollections, collection)->count(object_);
  }
  std::unique_ptr<LangObject> Item(std::string_view collection, int index) override {
    return FindEntry(kCollections, collection)->item(object_, index);
  }
  std::unique_ptr<LangObject> Nested(std::string_view property) override {
    if (const auto* e = FindEntry(kObjects, property); e != nullptr) return e->of(object_);
    const std::optional<QMetaProperty> meta = Meta().Find(property);
    QObject* nested = meta ? meta->read(object_).value<QObject*>() : nullptr;
    return nested != nullptr && !IsOtherWindow(nested) ? std::make_unique<QtLangObject>(nested, false) : nullptr;
  }
  std::unique_ptr<LangObject> OwnedComponent(std::string_view name) override {
    QObject* found = isWindow_ ? Owned().Find(name) : nullptr;
    return found != nullptr ? std::make_unique<QtLangObject>(found, false) : nullptr;
  }
  std::unique_ptr<LangObject> ChildControl(std::string_view name) override {
    // A window's child controls are among the objects it owns: a name none of them has is no control.
    if (isWindow_ && Owned().Find(name) == nullptr) return nullptr;
    QWidget* found = FindChildControl(object_, name);
    return found != nullptr ? std::make_unique<QtLangObject>(found, false) : nullptr;
  }

 private:
  const OwnedNames& Owned() {
    if (!owned_) owned_ = std::make_unique<OwnedNames>(object_);
    return *owned_;
  }
  // Made once per object: a window is asked for a property by each key of its section.
  const MetaProperties& Meta() const {
    if (!meta_) meta_ = std::make_unique<MetaProperties>(object_);
    return *meta_;
  }

  QObject* object_;
  bool isWindow_;
  std::unique_ptr<OwnedNames> owned_;
  mutable std::unique_ptr<MetaProperties> meta_;
};

}  // namespace

std::unique_ptr<LangObject> WindowLangObject(QWidget* window) { return std::make_unique<QtLangObject>(window, true); }

}  // namespace kestrune::translation
