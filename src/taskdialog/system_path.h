#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "taskdialog/task_dialog_types.h"

// The task dialog drawn by the system (TaskDialogIndirect of the Windows common controls): the choice
// between it and the program's own window, its configuration record, and the translation of its
// notifications into the dialog's events. The system itself is reached only through
// SystemTaskDialogApi, so all of this is plain code; where there is no such system (Linux), nothing
// implements the interface and the dialog always takes its own window.
namespace kestrune::taskdialog {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// Messages the program sends to the open system dialog.
enum DialogMessageCode : unsigned {
  kSetProgressBarState = 1128,
  kSetProgressBarRange = 1129,
  kSetProgressBarPos = 1130,
  kEnableButton = 1135,
  kUpdateElementText = 1138,
};

// The texts an open system dialog can replace, numbered as the system numbers them.
enum class TextElement : unsigned { kContent = 0, kExpandedText = 1, kFooter = 2, kInstruction = 3 };

// The notifications the system dialog sends.
enum NotificationCode : unsigned {
  kCreated = 0,
  kNavigated = 1,
  kButtonClicked = 2,
  kHyperlinkClicked = 3,
  kTimer = 4,
  kDestroyed = 5,
  kRadioButtonClicked = 6,
  kDialogConstructed = 7,
  kVerificationClicked = 8,
};

struct DialogMessage {
  unsigned code = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::u16string text;  // for kUpdateElementText; the system gets a pointer to it in lParam
  friend bool operator==(const DialogMessage&, const DialogMessage&) = default;
};

struct Notification {
  unsigned code = 0;
  std::uintptr_t wParam = 0;
  std::u16string link;  // for kHyperlinkClicked
};

// What the dialog component hands to the system path.
struct TaskDialogSettings {
  std::u16string Title, Instruction, Content, Footer;
  std::u16string ExpandedText, ExpandControlText, CollapsControlText, VerificationText;
  std::vector<std::u16string> CustomButtons, RadioButtons;
  TCommonButtons CommonButtons;
  int DefaultButton = 0;
  int DefaultRadioButton = 0;
  TTaskDialogPosition DialogPosition = dpScreenCenter;
  TTaskDialogIcon Icon = tiBlank;
  TTaskDialogFooterIcon FooterIcon = tfiBlank;
  TTaskDialogOptions Options;
  int ProgressBarMin = 0;
  int ProgressBarMax = 100;
  IconHandle CustomIcon = 0;  // 0: none
  WindowHandle Parent = 0;    // the owner's window, or the application's
};

struct ButtonEntry {
  int id = 0;
  std::u16string text;
  friend bool operator==(const ButtonEntry&, const ButtonEntry&) = default;
};

// The system's configuration record, field for field; a text that is not given stays nullopt.
struct TaskDialogConfig {
  static constexpr std::uint32_t kRecordSize = 96;
  std::uint32_t cbSize = kRecordSize;
  WindowHandle hwndParent = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwCommonButtons = 0;
  std::optional<std::u16string> pszWindowTitle, pszMainInstruction, pszContent, pszFooter;
  std::optional<std::u16string> pszExpandedControlText, pszCollapsedControlText, pszExpandedInformation;
  std::optional<std::u16string> pszVerificationText;
  IconHandle hMainIcon = 0;            // with the flag kUseMainIconHandle
  std::uint32_t mainIconResource = 0;  // otherwise
  std::uint32_t footerIconResource = 0;
  std::vector<ButtonEntry> pButtons, pRadioButtons;
  int nDefaultButton = 0;
  int nDefaultRadioButton = 0;
  std::uint32_t cxWidth = 0;
};

inline constexpr std::uint32_t kUseMainIconHandle = 0x2;
inline constexpr std::uint32_t kCallbackTimer = 0x800;

std::uint32_t SystemDialogFlags(TTaskDialogOptions options, TTaskDialogPosition position, bool hasCustomIcon);
std::uint32_t SystemCommonButtons(TCommonButtons buttons);
std::uint32_t SystemMainIcon(TTaskDialogIcon icon);
std::uint32_t SystemFooterIcon(TTaskDialogFooterIcon icon);
TaskDialogConfig BuildTaskDialogConfig(const TaskDialogSettings& settings);

// The range message packs the limits into 16 bits each; they are clamped to what fits.
std::intptr_t PackProgressRange(int min, int max);

// The system dialog is used from system version 6 on with common controls above version 5. The
// library's major version is the low byte of the high word of its file version's high double word; a
// version that cannot be read counts as 255.
int CommonControlsMajorVersion(std::optional<std::uint32_t> fileVersionMS);
bool UseSystemDialog(int systemMajorVersion, std::optional<std::uint32_t> commonControlsVersionMS);

// What the system's dialog function returns in its three result cells.
struct SystemDialogOutcome {
  int button = 0;
  int radio = 0;
  bool verified = false;
};

using NotificationCallback = std::function<int(WindowHandle window, const Notification& notification)>;

// The system calls behind the system path.
class SystemTaskDialogApi {
 public:
  virtual ~SystemTaskDialogApi() = default;
  virtual int SystemMajorVersion() const = 0;
  // The common-controls library's file version, its high double word; nullopt when it cannot be read.
  virtual std::optional<std::uint32_t> CommonControlsVersionMS() const = 0;
  // Loads the library and finds its dialog function; false when either fails.
  virtual bool LoadDialogFunction() = 0;
  // Runs the dialog until it closes, passing every notification to the callback; nullopt when the
  // call fails.
  virtual std::optional<SystemDialogOutcome> RunDialog(const TaskDialogConfig& config,
                                                       const NotificationCallback& callback) = 0;
  virtual void SendDialogMessage(WindowHandle window, const DialogMessage& message) = 0;
};

// The dialog's events as the system path raises them; an empty function is an event not assigned.
struct TaskDialogHandlers {
  std::function<void()> created;
  std::function<void(bool& canClose)> close;
  std::function<void(int buttonId)> buttonClick;
  std::function<void(int radioId)> radioClick;
  std::function<void(const std::u16string& link)> hyperlinkClick;
  std::function<void()> timer;
  std::function<void(bool checked)> verifyClick;
  std::function<void(int& pos, TTaskDialogProgressState& state)> progress;
};

// One system dialog at a time: shows it, answers its notifications and sends it the changes the
// program makes while it is open. Messages go only to a dialog that is open, never to a stale handle.
class SystemTaskDialog {
 public:
  explicit SystemTaskDialog(SystemTaskDialogApi& api) : api_(api) {}

  bool Usable() const;
  // Shows the dialog and returns the id of the button that closed it, or -1 (nothing shown, no event)
  // when the library or its function cannot be had or the call fails.
  int Show(const TaskDialogSettings& settings, TaskDialogHandlers handlers, SystemDialogOutcome& outcome);
  // The notification callback; returns 1 to keep the dialog open after a button click.
  int Notify(WindowHandle window, const Notification& notification);

  bool IsOpen() const { return open_; }
  WindowHandle DialogHandle() const { return handle_; }

  void UpdateElementText(TextElement element, const std::u16string& text);
  void EnableButton(int buttonId, bool enabled);
  void SetProgressPos(int pos);

 private:
  void Send(unsigned code, std::uintptr_t wParam, std::intptr_t lParam, std::u16string text = {});
  void OnCreated();
  int OnButtonClicked(int buttonId);
  void OnTimer();

  SystemTaskDialogApi& api_;
  TaskDialogSettings settings_;
  TaskDialogHandlers handlers_;
  WindowHandle handle_ = 0;
  int progressPos_ = 0;
  bool open_ = false;
};

}  // namespace kestrune::taskdialog
