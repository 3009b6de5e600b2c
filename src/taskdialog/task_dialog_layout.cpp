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

int CommandLinkBlockHeight(int headingHeight, int bodyHeight, int lineCount) {
  if (lineCount <= 0) return 0;
  return headingHeight + 4 + (lineCount - 1) * (bodyHeight + 2);
}

std::vector<int> CommandLinkLineTops(int controlHeight, int headingHeight, int bodyHeight, int lineCount) {
  std::vector<int> tops;
  if (lineCount <= 0) return tops;
  if (lineCount == 1) return {(controlHeight - headingHeight) / 2};
  int y = (controlHeight - CommandLinkBlockHeight(headingHeight, bodyHeight, lineCount)) / 2 + 2;
  tops.push_back(y);
  y += headingHeight + 4;
  for (int i = 1; i < lineCount; ++i, y += bodyHeight + 2) tops.push_back(y);
  return tops;
}

int CommandLinkHeight(int headingHeight, int bodyHeight, int lineCount, const DialogMetrics& metrics) {
  return std::max({headingHeight + kCommandLinkHeadingPadding, metrics.ButtonHeight,
                   CommandLinkBlockHeight(headingHeight, bodyHeight, lineCount) + kCommandLinkCaptionPadding});
}

int ClampProgress(int pos, int min, int max) { return std::clamp(pos, min, std::max(min, max)); }

}  // namespace kestrune::taskdialog
