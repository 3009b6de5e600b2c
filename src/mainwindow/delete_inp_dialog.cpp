#include "mainwindow/delete_inp_dialog.h"

TOKBottomDlg1::TOKBottomDlg1(QWidget* parent)
    : DeleteSetFileDialog(parent, "OKBottomDlg1", kestrune::catalogue::SetFileKind::Recording) {}
