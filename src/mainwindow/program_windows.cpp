#include "mainwindow/program_windows.h"

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
