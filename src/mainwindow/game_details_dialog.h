#pragma once

#include <QDialog>
#include <QHash>

#include "catalogue/game_record.h"

class QLabel;
class QPushButton;

// Shows every field of the selected game's record; Next and Previous step through the list and Play
// starts the game.
class TForm12 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm12(QWidget* parent = nullptr);

  // Shown (exec()), it fills itself for the main window's selected game.
  void FormShow();
  // Fills the window with one game's fields.
  void ShowGame(const kestrune::catalogue::Tgameinfo& game);
  // Next and Previous select the neighbouring row of the list (they stop at its ends) and show it.
  void Button1Click();
  void Button2Click();
  // Play: without a MAME chosen it says so and stays open; otherwise it closes and starts the game.
  void Button3Click();

  // A value label by component name ("company"); null for another name.
  QLabel* Value(const QString& name) const { return values_.value(name); }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Step(int delta);

  QHash<QString, QLabel*> values_;
};
