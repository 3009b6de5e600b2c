#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "catalogue/game_details_text.h"

class QLabel;
class QPushButton;

// The question windows of the game menu: a framed question above an accepting and a refusing button.
class OkBottomDialog : public QDialog {
  Q_OBJECT

 public:
  OkBottomDialog(QWidget* parent, const QString& objectName, const QString& caption, const QString& okText,
                 const QString& cancelText);

  QLabel* Question() const { return Label1_; }
  QPushButton* OkButton() const { return OKBtn_; }
  QPushButton* CancelButton() const { return CancelBtn_; }

 protected:
  // Sizes the window to the question it now asks, keeping its centre.
  void FitQuestion();

 private:
  QLabel* Label1_;
  QPushButton* OKBtn_;
  QPushButton* CancelBtn_;
};

// Asks whether to delete one of the selected game's files (its option file or its input recording)
// and, on Yes, moves it to the desktop's trash, from where the user can restore it.
class DeleteSetFileDialog : public OkBottomDialog {
  Q_OBJECT

 public:
  enum class Outcome { Asked, Deleted, NoFile, Failed };
  // Moves a file to the trash; true when it went there. Tests replace it.
  using Recycler = std::function<bool(const std::string& path)>;

  DeleteSetFileDialog(QWidget* parent, const QString& objectName, kestrune::catalogue::SetFileKind kind);

  // Shown (exec()), it asks about the main window's selected game in the main window's language.
  // Builds the question for the game in the language of that index.
  void FormShow(const std::string& romname, int languageIndex);
  // Yes: moves the file to the trash, tells the user when that fails, and refreshes the list's
  // INI/INP panels. The window closes in any case.
  void OKBtnClick();

  const std::string& RomName() const { return romname_; }
  Outcome LastOutcome() const { return outcome_; }
  // The list's state image after the last deletion (see StateImageAfterDelete); -1 before one.
  int StateImage() const { return stateImage_; }
  void SetRecycler(Recycler recycler) { recycle_ = std::move(recycler); }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  kestrune::catalogue::SetFileKind kind_;
  std::string romname_;
  Outcome outcome_ = Outcome::Asked;
  int stateImage_ = -1;
  Recycler recycle_;
};

// Asks whether to delete the selected game's option file (<set>.ini in the ini folder).
class TOKBottomDlg : public DeleteSetFileDialog {
  Q_OBJECT

 public:
  explicit TOKBottomDlg(QWidget* parent = nullptr);
};
