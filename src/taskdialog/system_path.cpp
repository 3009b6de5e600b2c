#include "taskdialog/system_path.h"

#include <algorithm>
#include <array>
#include <utility>

#include "taskdialog/task_dialog_buttons.h"
#include "taskdialog/task_dialog_layout.h"
#include "taskdialog/task_dialog_text.h"

namespace kestrune::taskdialog {

namespace {

struct OptionFlag {
  TTaskDialogOption option;
  std::uint32_t flag;
};

// The options that map one to one onto a flag; command links, the timer and position are worked out apart.
constexpr std::array<OptionFlag, 9> kOptionFlags = {{
    {doHyperlinks, 0x1},
    {doExpandedDefault, 0x80},
    {doExpandedFooter, 0x40},
    {doAllowMinimize, 0x8000},
    {doVerifyChecked, 0x100},
    {doProgressBar, 0x200},
    {doProgressBarMarquee, 0x400},
    {doNoDefaultRadioButton, 0x4000},
    {doAllowDialogCancel, 0x8},
}};

constexpr std::uint32_t kCommandLinks = 0x10;
constexpr std::uint32_t kCommandLinksNoIcon = 0x20;
constexpr std::uint32_t kPositionRelativeToWindow = 0x1000;

constexpr std::array<std::uint32_t, 7> kMainIcons = {17, 84, 99, 98, 81, 0, 78};
constexpr std::array<std::uint32_t, 6> kFooterIcons = {0, 84, 99, 98, 65533, 65532};

constexpr int kUnreadableVersion = 255;
constexpr int kProgressFieldMax = 0xFFFF;

std::optional<std::u16string> GivenText(const std::u16string& text, bool expandBackslashN) {
  if (text.empty()) return std::nullopt;
  return CutForSystemDialog(expandBackslashN ? ExpandBackslashN(text) : text);
}

std::vector<ButtonEntry> ButtonEntries(const std::vector<std::u16string>& captions, int firstId) {
  std::vector<ButtonEntry> entries;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    entries.push_back({firstId + static_cast<int>(i), CutForSystemDialog(ExpandBackslashN(captions[i]))});
  }
  return entries;
}

}  // namespace

std::uint32_t SystemDialogFlags(TTaskDialogOptions options, TTaskDialogPosition position, bool hasCustomIcon) {
  std::uint32_t flags = 0;
  if (options.Has(doCommandLinksNoIcon)) {
    flags = kCommandLinksNoIcon;
  } else if (options.Has(doCommandLinks)) {
    flags = kCommandLinks;
  }
  for (const OptionFlag& entry : kOptionFlags) {
    if (options.Has(entry.option)) flags |= entry.flag;
  }
  if (options.Has(doProgressBar) || options.Has(doProgressBarMarquee) || options.Has(doTimer)) {
    flags |= kCallbackTimer;
  }
  if (position == dpOwnerFormCenter) flags |= kPositionRelativeToWindow;
  if (hasCustomIcon) flags |= kUseMainIconHandle;
  return flags;
}

std::uint32_t SystemCommonButtons(TCommonButtons buttons) {
  std::uint32_t flags = 0;
  for (const CommonButtonInfo& info : kCommonButtons) {
    if (buttons.Has(info.button)) flags |= info.systemFlag;
  }
  return flags;
}

std::uint32_t SystemMainIcon(TTaskDialogIcon icon) { return kMainIcons.at(static_cast<std::size_t>(icon)); }

std::uint32_t SystemFooterIcon(TTaskDialogFooterIcon icon) { return kFooterIcons.at(static_cast<std::size_t>(icon)); }

TaskDialogConfig BuildTaskDialogConfig(const TaskDialogSettings& settings) {
  TaskDialogConfig config;
  config.hwndParent = settings.Parent;
  config.dwFlags = SystemDialogFlags(settings.Options, settings.DialogPosition, settings.CustomIcon != 0);
  config.dwCommonButtons = SystemCommonButtons(settings.CommonButtons);
  config.pszWindowTitle = GivenText(settings.Title, true);
  config.pszMainInstruction = GivenText(settings.Instruction, true);
  config.pszContent = GivenText(settings.Content, true);
  config.pszFooter = GivenText(settings.Footer, true);
  config.pszExpandedControlText = GivenText(settings.ExpandControlText, false);
  config.pszCollapsedControlText = GivenText(settings.CollapsControlText, false);
  config.pszExpandedInformation = GivenText(settings.ExpandedText, false);
  config.pszVerificationText = GivenText(settings.VerificationText, false);
  if (settings.CustomIcon != 0) {
    config.hMainIcon = settings.CustomIcon;
  } else {
    config.mainIconResource = SystemMainIcon(settings.Icon);
  }
  config.footerIconResource = SystemFooterIcon(settings.FooterIcon);
  config.pButtons = ButtonEntries(settings.CustomButtons, kFirstCustomButtonId);
  config.pRadioButtons = ButtonEntries(settings.RadioButtons, kFirstRadioButtonId);
  config.nDefaultButton = settings.DefaultButton;
  config.nDefaultRadioButton = settings.DefaultRadioButton;
  return config;
}

std::intptr_t PackProgressRange(int min, int max) {
  const auto low = static_cast<std::uint32_t>(std::clamp(min, 0, kProgressFieldMax));
  const auto high = static_cast<std::uint32_t>(std::clamp(max, 0, kProgressFieldMax));
  return static_cast<std::intptr_t>(low | (high << 16));
}

int CommonControlsMajorVersion(std::optional<std::uint32_t> fileVersionMS) {
  if (!fileVersionMS) return kUnreadableVersion;
  return static_cast<int>((*fileVersionMS >> 16) & 0xFF);
}

bool UseSystemDialog(int systemMajorVersion, std::optional<std::uint32_t> commonControlsVersionMS) {
  return systemMajorVersion >= 6 && CommonControlsMajorVersion(commonControlsVersionMS) > 5;
}

bool SystemTaskDialog::Usable() const {
  return UseSystemDialog(api_.SystemMajorVersion(), api_.CommonControlsVersionMS());
}

int SystemTaskDialog::Show(const TaskDialogSettings& settings, TaskDialogHandlers handlers,
                           SystemDialogOutcome& outcome) {
  if (open_ || !api_.LoadDialogFunction()) return -1;
  settings_ = settings;
  handlers_ = std::move(handlers);
  progressPos_ = settings.ProgressBarMin;
  open_ = true;
  const std::optional<SystemDialogOutcome> result =
      api_.RunDialog(BuildTaskDialogConfig(settings_),
                     [this](WindowHandle window, const Notification& n) { return Notify(window, n); });
  open_ = false;
  handlers_ = {};
  if (!result) return -1;
  outcome = *result;
  return result->button;
}

int SystemTaskDialog::Notify(WindowHandle window, const Notification& notification) {
  handle_ = window;
  switch (notification.code) {
    case kCreated:
      OnCreated();
      break;
    case kButtonClicked:
      return OnButtonClicked(static_cast<int>(notification.wParam));
    case kHyperlinkClicked:
      if (handlers_.hyperlinkClick) handlers_.hyperlinkClick(notification.link);
      break;
    case kTimer:
      OnTimer();
      break;
    case kRadioButtonClicked:
      if (handlers_.radioClick) handlers_.radioClick(static_cast<int>(notification.wParam));
      break;
    case kVerificationClicked:
      if (handlers_.verifyClick) handlers_.verifyClick(notification.wParam != 0);
      break;
    default:
      break;
  }
  return 0;
}

void SystemTaskDialog::OnCreated() {
  if (handlers_.created) handlers_.created();
  // The range belongs to the bar, not to the created event: it is set whether or not anyone listens.
  if (settings_.Options.Has(doProgressBar)) {
    Send(kSetProgressBarRange, 0, PackProgressRange(settings_.ProgressBarMin, settings_.ProgressBarMax));
  }
}

int SystemTaskDialog::OnButtonClicked(int buttonId) {
  if (handlers_.buttonClick) handlers_.buttonClick(buttonId);
  if (handlers_.close) {
    bool canClose = true;
    handlers_.close(canClose);
    if (!canClose) return 1;
  }
  return 0;
}

void SystemTaskDialog::OnTimer() {
  if (handlers_.timer) handlers_.timer();
  if (!handlers_.progress) return;
  int pos = progressPos_;
  TTaskDialogProgressState state = psNormal;
  handlers_.progress(pos, state);
  SetProgressPos(pos);
  Send(kSetProgressBarState, static_cast<std::uintptr_t>(state) + 1, 0);
}

void SystemTaskDialog::SetProgressPos(int pos) {
  progressPos_ = ClampProgress(pos, settings_.ProgressBarMin, settings_.ProgressBarMax);
  Send(kSetProgressBarPos, static_cast<std::uintptr_t>(progressPos_), 0);
}

void SystemTaskDialog::UpdateElementText(TextElement element, const std::u16string& text) {
  Send(kUpdateElementText, static_cast<std::uintptr_t>(element), 0, text);
}

void SystemTaskDialog::EnableButton(int buttonId, bool enabled) {
  Send(kEnableButton, static_cast<std::uintptr_t>(buttonId), enabled ? 1 : 0);
}

void SystemTaskDialog::Send(unsigned code, std::uintptr_t wParam, std::intptr_t lParam, std::u16string text) {
  if (!open_ || handle_ == 0) return;
  api_.SendDialogMessage(handle_, {code, wParam, lParam, std::move(text)});
}

}  // namespace kestrune::taskdialog
