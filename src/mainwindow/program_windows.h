#pragma once

#include <QList>

class QWidget;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TOKBottomDlg;
class TOKBottomDlg1;
class TForm9;
class TFormcolumn;
class TOKBottomDlg2;
class TForm10;
class TForm11;
class TForm12;
class TForm13;

// The program's windows, one reference each, created once at start-up and alive until the program
// ends. The dialogs read and change the main window's state directly, so they reach it through these.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TForm5* Form5;
extern TForm6* Form6;
extern TOKBottomDlg* OKBottomDlg;
extern TOKBottomDlg1* OKBottomDlg1;
extern TForm9* Form9;
extern TFormcolumn* Formcolumn;
extern TOKBottomDlg2* OKBottomDlg2;
extern TForm10* Form10;
extern TForm11* Form11;
extern TForm12* Form12;
extern TForm13* Form13;

// Creates the fifteen windows in their fixed order, the main window first (its creation runs while
// the others do not exist yet). The other windows are owned by the main window. From then on, when a
// window that has the keyboard closes, the keyboard goes back to the window the user was in before it.
// Returns them in creation order.
QList<QWidget*> CreateProgramWindows();

// Destroys them (the main window last owns the rest) and clears the references.
void DestroyProgramWindows();
