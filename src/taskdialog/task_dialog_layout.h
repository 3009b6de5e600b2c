#pragma once

#include <initializer_list>
#include <vector>

// Sizes of the emulation window, worked out from its font so the dialog scales with it.
namespace kestrune::taskdialog {

struct DialogMetrics {
  int HorzMargin = 0;
  int VertMargin = 0;
  int HorzSpacing = 0;
  int VertSpacing = 0;
  int ButtonWidth = 0;  // the least width of a common button
  int ButtonHeight = 0;
  int ButtonSpacing = 0;
  friend bool operator==(const DialogMetrics&, const DialogMetrics&) = default;
};

// The letters whose mean width is the font's average character width.
inline constexpr char kAverageWidthLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// widthOfLetters is the width of kAverageWidthLetters in the font, textHeight the font's line height;
// the units are dialog units (a quarter of the average width, an eighth of the height).
DialogMetrics ComputeDialogMetrics(int widthOfLetters, int textHeight);

inline constexpr int kMinClientWidth = 350;
inline constexpr int kCaptionAllowance = 50;  // room for the title bar's icon and buttons beside the title
inline constexpr int kButtonTextPadding = 16;
inline constexpr int kMinCustomButtonWidth = 60;
inline constexpr int kIconSize = 32;
inline constexpr int kProgressBarHeight = 12;

int CommonButtonWidth(int widestCaption, const DialogMetrics& metrics);
int CustomButtonWidth(int captionWidth);
// The client width: the widest of what the dialog needs, and never below kMinClientWidth.
int ClientWidth(std::initializer_list<int> neededWidths);

// Command links: a caption of several lines is a heading (advancing by its font's height + 4) over
// lines of the body font (each advancing by its height + 2), the block centred + 2 in the control.
inline constexpr int kCommandLinkMinWidth = 60;
inline constexpr int kCommandLinkHeadingPadding = 20;
inline constexpr int kCommandLinkCaptionPadding = 10;
int CommandLinkBlockHeight(int headingHeight, int bodyHeight, int lineCount);
// The top of each line of the caption.
std::vector<int> CommandLinkLineTops(int controlHeight, int headingHeight, int bodyHeight, int lineCount);
int CommandLinkHeight(int headingHeight, int bodyHeight, int lineCount, const DialogMetrics& metrics);

// pos kept within [min, max]; a max below min counts as min, as for the progress bar itself.
int ClampProgress(int pos, int min, int max);

}  // namespace kestrune::taskdialog
