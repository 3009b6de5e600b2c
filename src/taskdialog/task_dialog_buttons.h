#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "taskdialog/task_dialog_types.h"

// Which buttons a task dialog has and what each one is called and returns.
namespace kestrune::taskdialog {

struct CommonButtonInfo {
  TCommonButton button;
  const char* name;     // the emulation window's control name
  const char* caption;  // "&" marks the accelerator
  int modalResult;      // what the dialog returns when the button closes it
  std::uint32_t systemFlag;
};

// The common buttons in the order the dialog creates them.
inline constexpr std::array<CommonButtonInfo, 6> kCommonButtons = {{
    {cbOK, "OK", "OK", 1, 0x1},
    {cbYes, "Yes", "&Yes", 6, 0x2},
    {cbNo, "No", "&No", 7, 0x4},
    {cbCancel, "Cancel", "Cancel", 2, 0x8},
    {cbRetry, "Retry", "&Retry", 4, 0x10},
    {cbClose, "Abort", "&Abort", 3, 0x20},
}};

const CommonButtonInfo& CommonButtonData(TCommonButton button);

struct CommonButtonRoles {
  std::optional<TCommonButton> defaultButton;
  std::optional<TCommonButton> cancelButton;
};

// The default and cancel buttons among the common ones. defaultButton 0 lets the dialog choose (OK, Yes,
// Retry in that order), 1 asks for OK or else Yes, 2 for Cancel or else No; any other value names no
// common button. The cancel button is Cancel, else No, else none.
CommonButtonRoles ChooseCommonButtonRoles(TCommonButtons buttons, int defaultButton);

// What a button id names for enabling: ids from 1 up to the number of common buttons name the common
// buttons in creation order, ids from 100 name the custom buttons.
struct ButtonRef {
  enum Kind { kNone, kCommon, kCustom };
  Kind kind = kNone;
  int index = 0;
  friend bool operator==(const ButtonRef&, const ButtonRef&) = default;
};
ButtonRef ButtonForId(int id, int commonCount, int customCount);

}  // namespace kestrune::taskdialog
