#include "taskdialog/task_dialog_buttons.h"

namespace kestrune::taskdialog {

const CommonButtonInfo& CommonButtonData(TCommonButton button) {
  for (const CommonButtonInfo& info : kCommonButtons) {
    if (info.button == button) return info;
  }
  return kCommonButtons.front();
}

namespace {

std::optional<TCommonButton> FirstPresent(TCommonButtons buttons, std::initializer_list<TCommonButton> choices) {
  for (TCommonButton choice : choices) {
    if (buttons.Has(choice)) return choice;
  }
  return std::nullopt;
}

std::optional<TCommonButton> DefaultCommonButton(TCommonButtons buttons, int defaultButton) {
  switch (defaultButton) {
    case 0:
      return FirstPresent(buttons, {cbOK, cbYes, cbRetry});
    case 1:
      return FirstPresent(buttons, {cbOK, cbYes});
    case 2:
      return FirstPresent(buttons, {cbCancel, cbNo});
    default:
      return std::nullopt;
  }
}

}  // namespace

CommonButtonRoles ChooseCommonButtonRoles(TCommonButtons buttons, int defaultButton) {
  return {DefaultCommonButton(buttons, defaultButton), FirstPresent(buttons, {cbCancel, cbNo})};
}

ButtonRef ButtonForId(int id, int commonCount, int customCount) {
  if (id >= 1 && id <= commonCount) return {ButtonRef::kCommon, id - 1};
  if (id >= kFirstCustomButtonId && id - kFirstCustomButtonId < customCount) {
    return {ButtonRef::kCustom, id - kFirstCustomButtonId};
  }
  return {};
}

}  // namespace kestrune::taskdialog
