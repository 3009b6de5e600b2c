#include "mainwindow/delete_ini_dialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <filesystem>

#include "catalogue/mame_launch.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/window_frame.h"
#include "platform/recycle_qt.h"
#include "translation/program_strings_qt.h"

namespace cat = kestrune::catalogue;

OkBottomDialog::OkBottomDialog(QWidget* parent, const QString& objectName, const QString& caption,
                               const QString& okText, const QString& cancelText)
    : QDialog(parent), Label1_(new QLabel), OKBtn_(new QPushButton(okText)), CancelBtn_(new QPushButton(cancelText)) {
  setObjectName(objectName);
  setWindowTitle(caption);
  auto* bevel = new QFrame;
  bevel->setObjectName("Bevel1");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  Label1_->setObjectName("Label1");
  Label1_->setAlignment(Qt::AlignCenter);
  Label1_->setWordWrap(true);
  Label1_->setMinimumWidth(300);
  auto* inside = new QVBoxLayout(bevel);
  inside->addWidget(Label1_);
  OKBtn_->setObjectName("OKBtn");
  CancelBtn_->setObjectName("CancelBtn");
  OKBtn_->setDefault(true);
  connect(CancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn_);
  buttons->addWidget(CancelBtn_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bevel);
  layout->addLayout(buttons);
  // A dialog's border: the window takes the size of its question, and the user does not resize it.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// The question is set as the window is shown, after the window took the size of the old one.
void OkBottomDialog::FitQuestion() {
  adjustSize();
  CentreOnScreen(*this);
}

DeleteSetFileDialog::DeleteSetFileDialog(QWidget* parent, const QString& objectName, cat::SetFileKind kind)
    : OkBottomDialog(parent, objectName, QStringLiteral("Warning !"), QStringLiteral("Yes"), QStringLiteral("No")),
      kind_(kind),
      recycle_(kestrune::platform::RecycleFile) {
  connect(OkButton(), &QPushButton::clicked, this, &DeleteSetFileDialog::OKBtnClick);
}

void DeleteSetFileDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  const int row = Form1 != nullptr ? Form1->gameList()->View()->SelectedRow() : -1;
  if (row >= 0) FormShow(Form1->gameList()->List().Record(row).romname, Form1->LanguageIndex());
  FitQuestion();
}

void DeleteSetFileDialog::FormShow(const std::string& romname, int languageIndex) {
  romname_ = romname;
  outcome_ = Outcome::Asked;
  Question()->setText(QString::fromStdString(cat::DeleteFileQuestion(kind_, romname, languageIndex)));
}

void DeleteSetFileDialog::OKBtnClick() {
  if (Form1 == nullptr) {
    accept();
    return;
  }
  const bool recording = kind_ == cat::SetFileKind::Recording;
  const TForm1::Folders& folders = Form1->GetFolders();
  // Only a name MAME could have written is put into a path.
  const std::filesystem::path file =
      cat::IsMameSetName(romname_)
          ? cat::FindSetFile(recording ? folders.inp : folders.ini, romname_ + (recording ? ".inp" : ".ini"))
          : std::filesystem::path();
  if (file.empty()) {
    outcome_ = Outcome::NoFile;
  } else if (!recycle_(file.string())) {
    outcome_ = Outcome::Failed;
    Form1->Tell(QMessageBox::Warning,
                ProgramQText(kestrune::translation::kSNotMovedToTrash).arg(QString::fromStdString(file.string())));
  } else {
    outcome_ = Outcome::Deleted;
    const std::filesystem::path other =
        cat::FindSetFile(recording ? folders.ini : folders.inp, romname_ + (recording ? ".ini" : ".inp"));
    stateImage_ = cat::StateImageAfterDelete(kind_, !other.empty());
    Form1->gameList()->UpdateIniInpStatus();
  }
  accept();
}

TOKBottomDlg::TOKBottomDlg(QWidget* parent)
    : DeleteSetFileDialog(parent, "OKBottomDlg", cat::SetFileKind::OptionFile) {}
