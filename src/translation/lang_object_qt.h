#pragma once

#include <memory>

#include "translation/lang_object.h"

class QWidget;

// The language-file view of a Qt window. Its section is the window's class name; components are the
// objects on the window by objectName (actions, menus, widgets, not other windows); child controls
// are the named widgets placed on a control, Qt's own unnamed helper widgets in between looked
// through. Language files reach the widgets through the property names of the Windows program,
// mapped here onto Qt:
//   Caption   window title, button, label, group box, menu, menu item, tab page, list column
//   Hint      tool tip ("short|long": tool tip and status tip); a tool button's hint is its action's
//   Text      line edit, editable combo box, status bar panel
//   Items     combo box and list items (".Strings"); a combo box keeps the item chosen
//   Lines     text box lines (".Strings")
//   Columns   a list's column captions ("Columns.Items(n).Caption")
//   Panels    status bar panels ("Panels.Items(n).Text")
//   Font      "Font.Size" (points), "Font.Height" (pixels), "Font.Name", "Font.Color" (text colour);
//             "Font.Style" is ignored
//   Constraints          "Constraints.MinWidth", "MinHeight", "MaxWidth", "MaxHeight" (0: no limit)
//   Color                a control's background, an integer 0x00BBGGRR (system colours change nothing)
//   Left, Top            a control's place (never a window's)
//   Width, Height        a control's or a dialog's size (never the main window's, which is saved)
//   Alignment            taLeftJustify, taRightJustify, taCenter (labels and line edits)
//   BiDiMode             bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly
//   Layout               tlTop, tlCenter, tlBottom (labels)
//   Visible              True/False: a control, menu, menu item or tab page (never a window)
//   Enabled              True/False: a control, menu, menu item or tab page (never a window)
//   Checked              True/False: a check box, radio button or checkable menu item
//   ShowHint             True/False: whether the control and the controls on it show their tool tips
//   WordWrap             True/False: labels
//   AutoSize, ParentFont, ParentColor, ParentShowHint, ParentBiDiMode, Transparent
//                        True/False, accepted and changing nothing: Qt's widgets do this themselves
// A name none of these has (in any letter case) is looked up among the object's writable Qt properties
// (not objectName), its kind taken from Qt's meta-object: enumerations by their element names,
// Booleans, integers (a colour as 0x00BBGGRR), floating-point numbers, texts, text lists, and objects,
// read-only ones too (the property's path goes on in them). A name above that does not apply to the object (a window's
// Visible) is not passed on to Qt's property of that name.
namespace kestrune::translation {

std::unique_ptr<LangObject> WindowLangObject(QWidget* window);

}  // namespace kestrune::translation
