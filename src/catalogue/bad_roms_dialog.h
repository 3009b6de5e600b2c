#pragma once

#include <QDialog>
#include <string>
#include <vector>

// Lists the ROM archives of bad sets and moves them aside.
class TForm9 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm9(QWidget* parent = nullptr);

  // BadRoms: the archive names (set + ".zip") of the sets the last ROM scan found with a bad rom,
  // in list order; what the dialog shows when it is opened next.
  void SetBadRoms(std::vector<std::string> archives) { badRoms_ = std::move(archives); }
  const std::vector<std::string>& BadRoms() const { return badRoms_; }

 private:
  std::vector<std::string> badRoms_;
};
