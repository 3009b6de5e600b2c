#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

// Lists the ROM archives of bad sets and moves them aside, into the program folder's "badroms".
class TForm9 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm9(QWidget* parent = nullptr);

  // BadRoms: the archive names (set + ".zip") of the sets the last ROM scan found with a bad rom,
  // in list order; what the dialog shows when it is opened next.
  void SetBadRoms(std::vector<std::string> archives) { badRoms_ = std::move(archives); }
  const std::vector<std::string>& BadRoms() const { return badRoms_; }

  // "Move to Folder": moves the archives and reports each in the list.
  void MoveBadRoms();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Fills the list; "Move to Folder" is offered once per showing when there is something to move.
  void FormShow();
  void ShowLines(const std::vector<std::string>& lines);

  QPlainTextEdit* badromlist_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  std::vector<std::string> badRoms_;
};
