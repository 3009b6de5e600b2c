#pragma once

#include <QMessageBox>
#include <QString>

// The program's message boxes: titled "Kestrune", their buttons captioned in the user's language, and
// their text broken only between words, so that a path or a web address is never cut in two.
QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons);

// Gives a box the program's button captions and breaks its text into lines at blanks, filled to about
// 400 px where the words allow, and makes its label as wide as the widest line, so that nothing of the
// text is cut off; only a word wider than the screen leaves is broken. For boxes built elsewhere.
void PrepareMessageBox(QMessageBox& box);
