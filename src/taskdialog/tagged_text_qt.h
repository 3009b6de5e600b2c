#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPalette>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

#include "taskdialog/picture_list_qt.h"
#include "taskdialog/tagged_text.h"

class QPainter;
class QPaintDevice;

// Measures and draws the task dialog's tagged texts (see tagged_text.h for the markup) with QPainter.
// Measuring and drawing share one layout, so a text drawn into the rectangle it was measured for fills
// exactly the size that was reported.

struct TaggedTextOptions {
  const QList<QPixmap>* imageList = nullptr;  // for SRC="IDX:n"
  const TPictureList* pictures = nullptr;     // for SRC="name"
  std::optional<QPoint> mouse;                // to find the link under it
  QColor textColour;                          // invalid: the palette's window text
  QColor linkColour = QColor(0, 0, 255);
  QColor hoverLinkColour;  // for the link under the mouse; invalid: the link colour
  QColor shadowColour = QColor(128, 128, 128);
  int shadowOffset = 1;
  double zoom = 1.0;   // for pictures
  int focusLink = -1;  // the link that gets a focus rectangle, counted from 0
  QPalette palette;    // the system colours ("clBtnFace" ...) come from it
};

struct TaggedTextResult {
  QSize size;
  bool overLink = false;
  QString href;
  QString linkText;
  QRect focusRect;  // empty without a focused link
  int linkCount = 0;
};

// Lays the text out in rect (lines wrap at its width) and, with a painter, draws it there. The
// measures come from the painter's device, or from the screen when painter is null.
TaggedTextResult HTMLDrawEx(QPainter* painter, const QString& text, const QRect& rect, const QFont& font,
                            const TaggedTextOptions& options = {});

// The colour a markup colour stands for; system colours come from the palette.
QColor ToQColor(const kestrune::taskdialog::TagColour& colour, const QPalette& palette);
