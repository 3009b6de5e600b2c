#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The front-end's own preferences: folders, fonts, colours, list and controller options.
//
// Its check boxes, radio buttons, combo boxes and edits are the program's state of record for those
// preferences: the main window sets them from the settings at start-up, reads them while it runs and
// stores them at close. Every control is reached by its component name (its objectName), the same
// name the language files use, through the typed look-ups below. Asking for a name the dialog does
// not have, or for a control of another type, is a programming error and stops the program.
class TForm4 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  // `realtimesearch`, `showclones`, `bigtoolbar`, ...
  QCheckBox* CheckBox(const char* name) const;
  // `cyclesnaps`, `cycletabs`
  QRadioButton* RadioButton(const char* name) const;
  // `scaletimes`, `stretchfilter`
  QComboBox* ComboBox(const char* name) const;
  // `commandline`, `cycletimer`, the folder edits ...
  QLineEdit* Edit(const char* name) const;

  // Any other named control: the page `TabSheet2`, the buttons `Button1` ... `Button4`, ...
  template <typename T = QWidget>
  T* Control(const char* name) const {
    T* control = findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) {
      MissingControl(T::staticMetaObject.className(), name);
    }
    return control;
  }

 private:
  [[noreturn]] void MissingControl(const char* type, const char* name) const;
  QWidget* NewOptionsPage();
  QWidget* NewFrontEndFoldersPage();
  QWidget* NewMameFoldersPage();
  QWidget* NewAppearancePage();
};
