#include "taskdialog/task_dialog_layout.h"

#include <algorithm>

namespace kestrune::taskdialog {

DialogMetrics ComputeDialogMetrics(int widthOfLetters, int textHeight) {
  const int width = widthOfLetters / (static_cast<int>(sizeof(kAverageWidthLetters)) - 1);
  DialogMetrics m;
  m.HorzMargin = 8 * width / 4;
  m.VertMargin = 8 * textHeight / 8;
  m.HorzSpacing = 10 * width / 4;
  m.VertSpacing = 10 * textHeight / 8;
  m.ButtonWidth = 50 * width / 4;
  m.ButtonHeight = 14 * textHeight / 8;
  m.ButtonSpacing = 4 * width / 4;
  return m;
}

int CommonButtonWidth(int widestCaption, const DialogMetrics& metrics) {
  return std::max(widestCaption + kButtonTextPadding, metrics.ButtonWidth);
}

int CustomButtonWidth(int captionWidth) { return std::max(kMinCustomButtonWidth, captionWidth + kButtonTextPadding); }

int ClientWidth(std::initializer_list<int> neededWidths) {
  int width = kMinClientWidth;
  for (int needed : neededWidths) width = std::max(width, needed);
  return width;
}

int ClampProgress(int pos, int min, int max) { return std::clamp(pos, min, std::max(min, max)); }

}  // namespace kestrune::taskdialog
