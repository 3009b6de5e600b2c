#include "mainwindow/program_windows.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "mainwindow/about_dialog.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/column_order_dialog.h"
#include "mainwindow/delete_ini_dialog.h"
#include "mainwindow/delete_inp_dialog.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/driver_info_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/loading_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/setup_wizard_dialog.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "romscan/rom_init_window.h"
#include "settings/options_dialog.h"
#include "translation/program_strings_qt.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;
TOKBottomDlg* OKBottomDlg = nullptr;
TOKBottomDlg1* OKBottomDlg1 = nullptr;
TForm9* Form9 = nullptr;
TFormcolumn* Formcolumn = nullptr;
TOKBottomDlg2* OKBottomDlg2 = nullptr;
TForm10* Form10 = nullptr;
TForm11* Form11 = nullptr;
TForm12* Form12 = nullptr;
TForm13* Form13 = nullptr;

namespace {

// Gives the keyboard back to the window the user was in when one of the program's windows that had it
// closes. A window manager does that itself; without one (a cabinet's bare X server) the X server gives
// the focus to the root window, where no shortcut reaches the program until the user clicks a window.
class KeyboardReturn : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A hide the window system made (a window manager's minimise) leaves the focus to that system.
    if ((event->type() != QEvent::Show && event->type() != QEvent::Hide) || event->spontaneous() ||
        !watched->isWidgetType())
      return false;
    auto* window = static_cast<QWidget*>(watched);
    // The main window hides for a game, which then has the screen and the keys, or as the program ends.
    if (!window->isWindow() || window == parent() || window->windowType() == Qt::Popup ||
        window->windowType() == Qt::ToolTip)
      return false;
    if (event->type() == QEvent::Show) {
      // Still the one the user was in: the new window becomes active only once the window system says so.
      cameFrom_.insert(window, QApplication::activeWindow());
    } else {
      const QPointer<QWidget> before = cameFrom_.take(window);
      // The widgets forget the active window as it hides; the window system's focus is still there.
      if (window->windowHandle() != nullptr && QGuiApplication::focusWindow() == window->windowHandle())
        GiveKeyboardBack(*window, before);
    }
    return false;
  }

 private:
  static bool Takes(const QWidget* window) { return window != nullptr && window->isVisible(); }

  // A modal window still open blocks every other, so it takes the keys; else the window the user came
  // from, or the one the closed window belongs to, or the main window (a question asked before any
  // window had the keys, such as an icon's password at the first paint).
  void GiveKeyboardBack(const QWidget& closed, QWidget* before) const {
    QWidget* next = QApplication::activeModalWidget();
    if (!Takes(next)) next = before;
    if (!Takes(next) && closed.parentWidget() != nullptr) next = closed.parentWidget()->window();
    if (!Takes(next)) next = static_cast<QWidget*>(parent());
    if (Takes(next) && next != &closed) next->activateWindow();
  }

  QHash<const QWidget*, QPointer<QWidget>> cameFrom_;
};

template <typename Window>
Window* Create(Window*& reference, QList<QWidget*>& created, QWidget* owner) {
  reference = new Window(owner);
  created.append(reference);
  return reference;
}

}  // namespace

QList<QWidget*> CreateProgramWindows() {
  QList<QWidget*> created;
  QWidget* owner = Create(Form1, created, nullptr);
  // Every window of the program lives while the main window does; the filter goes with it.
  QCoreApplication::instance()->installEventFilter(new KeyboardReturn(owner));
  Create(Form2, created, owner);
  // The options dialog is below the program's strings; its file dialogs speak the user's language too.
  Form2->SetTextOf([](const QString& english) { return ProgramQTextOf(english.toStdString()); });
  Create(Form3, created, owner);
  Create(Form4, created, owner);
  Create(Form5, created, owner);
  Create(Form6, created, owner);
  Create(OKBottomDlg, created, owner);
  Create(OKBottomDlg1, created, owner);
  Create(Form9, created, owner);
  Create(Formcolumn, created, owner);
  Create(OKBottomDlg2, created, owner);
  Create(Form10, created, owner);
  Create(Form11, created, owner);
  Create(Form12, created, owner);
  Create(Form13, created, owner);
  return created;
}

void DestroyProgramWindows() {
  delete Form1;
  Form1 = nullptr;
  Form2 = nullptr;
  Form3 = nullptr;
  Form4 = nullptr;
  Form5 = nullptr;
  Form6 = nullptr;
  OKBottomDlg = nullptr;
  OKBottomDlg1 = nullptr;
  Form9 = nullptr;
  Formcolumn = nullptr;
  OKBottomDlg2 = nullptr;
  Form10 = nullptr;
  Form11 = nullptr;
  Form12 = nullptr;
  Form13 = nullptr;
}
