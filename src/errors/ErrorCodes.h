#pragma once

#include <array>
#include <string>
#include <string_view>

// The fixed error codes under which guarded handlers report a failure: "2.", the unit
// (window) in three digits, " - ", the handler's number in three digits, ".", the step.
namespace tw::errors::codes {

// Window 001: main window.
inline constexpr std::string_view SizeText = "2.001 - 001.0";
inline constexpr std::string_view MainConfirmClose = "2.001 - 002.0";
inline constexpr std::string_view MainLoadSettings = "2.001 - 003.0";
inline constexpr std::string_view MainOpenHelp = "2.001 - 004.0";
inline constexpr std::string_view MainChoosePlaylist = "2.001 - 005.0";
inline constexpr std::string_view MainUpdateStartButton = "2.001 - 006.0";
inline constexpr std::string_view MainStartCopy = "2.001 - 007.0";
inline constexpr std::string_view CopyReportText = "2.001 - 008.0";
// The destination choice builds its code when it fails: this prefix and the step number.
inline constexpr std::string_view MainChooseDestinationPrefix = "2.001 - 009.";
inline constexpr std::string_view MainAsManyAsFitClicked = "2.001 - 010.0";
inline constexpr std::string_view MainOpenLanguageMenu = "2.001 - 011.0";
inline constexpr std::string_view MainChangeLanguage = "2.001 - 012.0";
inline constexpr std::string_view MainPrepareOnShow = "2.001 - 013.0";
inline constexpr std::string_view MainSaveSettings = "2.001 - 014.0";
inline constexpr std::string_view MainLoadLanguage = "2.001 - 015.0";

// Two routines report under a code that belongs to another one.
inline constexpr std::string_view LocalDriveTest = CopyReportText;
inline constexpr std::string_view NewVersionCheckStart = MainLoadLanguage;

// Window 002: copy progress window and copy run.
inline constexpr std::string_view CopyElapsedText = "2.002 - 001.0";
inline constexpr std::string_view CopyRun = "2.002 - 002.0";
inline constexpr std::string_view CopyPause = "2.002 - 003.0";
inline constexpr std::string_view CopyCancel = "2.002 - 004.0";
inline constexpr std::string_view CopyCleanUpOnClose = "2.002 - 005.0";
inline constexpr std::string_view CopyApplyTexts = "2.002 - 006.0";
inline constexpr std::string_view CopyTogglePause = "2.002 - 007.0";
inline constexpr std::string_view CopyRunOnTimer = "2.002 - 008.0";
inline constexpr std::string_view CopyStartOnFirstShow = "2.002 - 009.0";

// Window 003: collision dialog. Renaming by hand comes before the rename menu.
inline constexpr std::string_view CollisionApplyTexts = "2.003 - 001.0";
inline constexpr std::string_view CollisionCleanUpOnClose = "2.003 - 002.0";
inline constexpr std::string_view CollisionCancelRun = "2.003 - 003.0";
inline constexpr std::string_view CollisionReplace = "2.003 - 004.0";
inline constexpr std::string_view CollisionSkip = "2.003 - 005.0";
inline constexpr std::string_view CollisionRenameByHand = "2.003 - 006.0";
inline constexpr std::string_view CollisionOpenRenameMenu = "2.003 - 007.0";
inline constexpr std::string_view CollisionRenameAutomatically = "2.003 - 008.0";
inline constexpr std::string_view CollisionOpenTargetFolder = "2.003 - 009.0";
inline constexpr std::string_view CollisionOpenSourceFolder = "2.003 - 010.0";

// Window 004: list scan window.
inline constexpr std::string_view ScanStartOnFirstShow = "2.004 - 001.0";
inline constexpr std::string_view ScanCleanUpOnClose = "2.004 - 002.0";
inline constexpr std::string_view ScanRunOnTimer = "2.004 - 003.0";
inline constexpr std::string_view ScanApplyTexts = "2.004 - 004.0";
inline constexpr std::string_view ScanCancel = "2.004 - 005.0";

// Window 005: rename dialog.
inline constexpr std::string_view RenameAcceptName = "2.005 - 001.0";
inline constexpr std::string_view RenameCancel = "2.005 - 002.0";
inline constexpr std::string_view RenameCleanUpOnClose = "2.005 - 003.0";

// The code of the main window's destination choice for a step number.
inline std::string chooseDestinationCode(int step) {
    return std::string(MainChooseDestinationPrefix) + std::to_string(step);
}

// Every literal code once (the destination choice's as built for step 0).
inline constexpr std::array<std::string_view, 42> all = {SizeText,
                                                         MainConfirmClose,
                                                         MainLoadSettings,
                                                         MainOpenHelp,
                                                         MainChoosePlaylist,
                                                         MainUpdateStartButton,
                                                         MainStartCopy,
                                                         CopyReportText,
                                                         "2.001 - 009.0",
                                                         MainAsManyAsFitClicked,
                                                         MainOpenLanguageMenu,
                                                         MainChangeLanguage,
                                                         MainPrepareOnShow,
                                                         MainSaveSettings,
                                                         MainLoadLanguage,
                                                         CopyElapsedText,
                                                         CopyRun,
                                                         CopyPause,
                                                         CopyCancel,
                                                         CopyCleanUpOnClose,
                                                         CopyApplyTexts,
                                                         CopyTogglePause,
                                                         CopyRunOnTimer,
                                                         CopyStartOnFirstShow,
                                                         CollisionApplyTexts,
                                                         CollisionCleanUpOnClose,
                                                         CollisionCancelRun,
                                                         CollisionReplace,
                                                         CollisionSkip,
                                                         CollisionRenameByHand,
                                                         CollisionOpenRenameMenu,
                                                         CollisionRenameAutomatically,
                                                         CollisionOpenTargetFolder,
                                                         CollisionOpenSourceFolder,
                                                         ScanStartOnFirstShow,
                                                         ScanCleanUpOnClose,
                                                         ScanRunOnTimer,
                                                         ScanApplyTexts,
                                                         ScanCancel,
                                                         RenameAcceptName,
                                                         RenameCancel,
                                                         RenameCleanUpOnClose};

} // namespace tw::errors::codes
