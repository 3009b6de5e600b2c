#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "translation/resource_strings.h"

// The program's own resource strings, with the numbers language files translate them by
// ("1001_SListedGames='Listed : %1'" in section ResourceStrings): every text the program builds or
// shows outside a window's controls (status panels, messages, the scan's progress texts, the task
// dialog's button captions). "%1" and "%2" stand for values put in; "&" marks a button's accelerator.
namespace kestrune::translation {

enum ProgramStringId : std::uint32_t {
  kSListedGames = 1001,
  kSRomsPanel = 1002,
  kSIniFound = 1003,
  kSIniMissing = 1004,
  kSInpFound = 1005,
  kSInpMissing = 1006,
  kSNoMameBinary = 1007,
  kSNoMameBinaryScan = 1008,
  kSRequiresRestart = 1009,
  kSCannotStartSet = 1010,
  kSMameNotStarted = 1011,
  kSMameEnded = 1012,
  kSMameStoppedUnexpectedly = 1013,
  kSMameFilesMissing = 1014,
  kSMameFatalError = 1015,
  kSMameDeviceFailed = 1016,
  kSMameUnknownGame = 1017,
  kSMameInvalidOptions = 1018,
  kSMameUnusableFiles = 1019,
  kSMameExitCode = 1020,
  kSSettingsNotSaved = 1021,
  kSEditorFailed = 1022,
  kSNoEditor = 1023,
  kSSetHasNoOptions = 1024,
  kSGameListNotRead = 1025,
  kSGameListNotSaved = 1026,
  kSNotMovedToTrash = 1027,
  kSRomFileMerged = 1028,
  kSMame32Refused = 1029,
  kSOtherFolderRefused = 1030,
  kSNotExecutableRefused = 1031,
  kSAvailable = 1032,
  kSUnavailable = 1033,
  kSPreparingData = 1034,
  kSVerifyingRoms = 1035,
  kSBuildingDatabase = 1036,
  kSUpdatingData = 1037,
  kSGettingInfo = 1038,
  kSScanDone = 1039,
  kSScanFailed = 1040,
  kSGameListKept = 1041,
  kSMsgDlgOK = 1042,
  kSMsgDlgYes = 1043,
  kSMsgDlgNo = 1044,
  kSMsgDlgCancel = 1045,
  kSMsgDlgRetry = 1046,
  kSMsgDlgAbort = 1047,
  kSScanTitle = 1048,
  kSShowBadRoms = 1049,
  kSMameStillRunning = 1050,
  kSQuitWhileMameRuns = 1051,
};

struct ProgramStringEntry {
  ProgramStringId identifier;
  const char* name;  // the name language files write after the number
  const char* text;  // the English text
};

inline constexpr ProgramStringEntry kProgramStrings[] = {
    {kSListedGames, "SListedGames", "Listed : %1"},
    {kSRomsPanel, "SRomsPanel", "Roms : "},
    {kSIniFound, "SIniFound", "INI : Yes"},
    {kSIniMissing, "SIniMissing", "INI : N/A"},
    {kSInpFound, "SInpFound", "INP : Yes"},
    {kSInpMissing, "SInpMissing", "INP : N/A"},
    {kSNoMameBinary, "SNoMameBinary", "\rNo Mame binary selected !"},
    {kSNoMameBinaryScan, "SNoMameBinaryScan", "\nNo Mame binary selected !"},
    {kSRequiresRestart, "SRequiresRestart", "Requires a restart !"},
    {kSCannotStartSet, "SCannotStartSet", "\"%1\" is not a set name MAME knows, so it cannot be started."},
    {kSMameNotStarted, "SMameNotStarted", "MAME could not be started:\n%1"},
    {kSMameEnded, "SMameEnded", "MAME ended on \"%1\" because %2."},
    {kSMameStoppedUnexpectedly, "SMameStoppedUnexpectedly", "it stopped unexpectedly"},
    {kSMameFilesMissing, "SMameFilesMissing", "files are missing (ROMs or disk images)"},
    {kSMameFatalError, "SMameFatalError", "a fatal error occurred"},
    {kSMameDeviceFailed, "SMameDeviceFailed", "a device could not be started"},
    {kSMameUnknownGame, "SMameUnknownGame", "MAME does not know this game"},
    {kSMameInvalidOptions, "SMameInvalidOptions", "its options are invalid"},
    {kSMameUnusableFiles, "SMameUnusableFiles", "the identified files are not usable"},
    {kSMameExitCode, "SMameExitCode", "it failed (exit code %1)"},
    {kSSettingsNotSaved, "SSettingsNotSaved", "The settings could not be saved:\n%1"},
    {kSEditorFailed, "SEditorFailed", "The editor \"%1\" could not edit %2."},
    {kSNoEditor, "SNoEditor", "No program of the desktop opens %1; name an editor in VISUAL or EDITOR."},
    {kSSetHasNoOptions, "SSetHasNoOptions", "\"%1\" is not a set name MAME knows, so it has no options."},
    {kSGameListNotRead, "SGameListNotRead", "The game list could not be read, so it is left as it is on disk:\n%1"},
    {kSGameListNotSaved, "SGameListNotSaved", "The game list could not be saved:\n%1"},
    {kSNotMovedToTrash, "SNotMovedToTrash", "%1 could not be moved to the trash, so it was not deleted."},
    {kSRomFileMerged, "SRomFileMerged", "This Rom File is merged within another Rom zipfile and cannot be deleted."},
    {kSMame32Refused, "SMame32Refused", "Kestrune does not support Mame32 binaries"},
    {kSOtherFolderRefused, "SOtherFolderRefused", "The mame file must be in the same folder as Kestrune"},
    {kSNotExecutableRefused, "SNotExecutableRefused", "%1 is not a program that can be run."},
    {kSAvailable, "SAvailable", "Available"},
    {kSUnavailable, "SUnavailable", "Unavailable"},
    {kSPreparingData, "SPreparingData", "Preparing data..."},
    {kSVerifyingRoms, "SVerifyingRoms", "Verifying roms..."},
    {kSBuildingDatabase, "SBuildingDatabase", "Building database..."},
    {kSUpdatingData, "SUpdatingData", "Updating data..."},
    {kSGettingInfo, "SGettingInfo", "Getting info from Mame..."},
    {kSScanDone, "SScanDone", "Done!"},
    {kSScanFailed, "SScanFailed", "Initializing Roms failed"},
    {kSGameListKept, "SGameListKept", "\rThe game list was left as it was."},
    {kSMsgDlgOK, "SMsgDlgOK", "OK"},
    {kSMsgDlgYes, "SMsgDlgYes", "&Yes"},
    {kSMsgDlgNo, "SMsgDlgNo", "&No"},
    {kSMsgDlgCancel, "SMsgDlgCancel", "Cancel"},
    {kSMsgDlgRetry, "SMsgDlgRetry", "&Retry"},
    {kSMsgDlgAbort, "SMsgDlgAbort", "&Abort"},
    {kSScanTitle, "SScanTitle", "Initializing Roms"},
    {kSShowBadRoms, "SShowBadRoms", "Show badroms after initializing"},
    {kSMameStillRunning, "SMameStillRunning", "MAME is still running \"%1\". Close it before you start another game."},
    {kSQuitWhileMameRuns, "SQuitWhileMameRuns",
     "MAME is still running \"%1\".\n\nQuit Kestrune anyway? MAME will be closed, and the play is counted up to now."},
};

// The text of one of the program's strings in the current language (through LoadResString).
std::string ProgramText(ProgramStringId identifier);
// The current language's text of the program string whose English text this is; any other text as it
// stands.
std::string ProgramTextOf(std::string_view english);

}  // namespace kestrune::translation
