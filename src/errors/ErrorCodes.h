#pragma once

#include <array>
#include <string>
#include <string_view>

// The fixed error codes under which guarded handlers report a failure: "2.", the unit
// (window) in three digits, " - ", the handler's number in three digits, ".", the step.
namespace tw::errors::codes {

// Unit 001: main window.
inline constexpr std::string_view CalSize = "2.001 - 001.0";
inline constexpr std::string_view MainFormCloseQuery = "2.001 - 002.0";
inline constexpr std::string_view MainFormCreate = "2.001 - 003.0";
inline constexpr std::string_view MainBitBtn1Click = "2.001 - 004.0";
inline constexpr std::string_view MainButton1Click = "2.001 - 005.0";
inline constexpr std::string_view CheckLaunchEnabled = "2.001 - 006.0";
inline constexpr std::string_view MainButton5Click = "2.001 - 007.0";
inline constexpr std::string_view CopyReportText = "2.001 - 008.0";
// Button2Click builds its code when it fails: this prefix and the step number.
inline constexpr std::string_view MainButton2ClickPrefix = "2.001 - 009.";
inline constexpr std::string_view MainCheckBox4Click = "2.001 - 010.0";
inline constexpr std::string_view MainButton4Click = "2.001 - 011.0";
inline constexpr std::string_view ChangeLanguage = "2.001 - 012.0";
inline constexpr std::string_view MainFormShow = "2.001 - 013.0";
inline constexpr std::string_view MainFormClose = "2.001 - 014.0";
inline constexpr std::string_view LoadLanguage = "2.001 - 015.0";

// Two routines report under a code that belongs to another one.
inline constexpr std::string_view LocalDriveTest = CopyReportText;
inline constexpr std::string_view NewVersionCheckStart = LoadLanguage;

// Unit 002: copy progress window and copy run.
inline constexpr std::string_view CopyElapsedText = "2.002 - 001.0";
inline constexpr std::string_view CopyPlayList = "2.002 - 002.0";
inline constexpr std::string_view PauseCopy = "2.002 - 003.0";
inline constexpr std::string_view CopyButton1Click = "2.002 - 004.0";
inline constexpr std::string_view CopyFormClose = "2.002 - 005.0";
inline constexpr std::string_view CopyFormCreate = "2.002 - 006.0";
inline constexpr std::string_view CopyButton2Click = "2.002 - 007.0";
inline constexpr std::string_view CopyTimer1Timer = "2.002 - 008.0";
inline constexpr std::string_view CopyFormShow = "2.002 - 009.0";

// Unit 003: collision dialog. N1Click comes before Button4Click.
inline constexpr std::string_view ReWriteFormCreate = "2.003 - 001.0";
inline constexpr std::string_view ReWriteFormClose = "2.003 - 002.0";
inline constexpr std::string_view ReWriteButton5Click = "2.003 - 003.0";
inline constexpr std::string_view ReWriteButton1Click = "2.003 - 004.0";
inline constexpr std::string_view ReWriteButton3Click = "2.003 - 005.0";
inline constexpr std::string_view ReWriteN1Click = "2.003 - 006.0";
inline constexpr std::string_view ReWriteButton4Click = "2.003 - 007.0";
inline constexpr std::string_view ReWriteN2Click = "2.003 - 008.0";
inline constexpr std::string_view ReWriteButton2Click = "2.003 - 009.0";
inline constexpr std::string_view ReWriteButton6Click = "2.003 - 010.0";

// Unit 004: list scan window.
inline constexpr std::string_view ScanFormShow = "2.004 - 001.0";
inline constexpr std::string_view ScanFormClose = "2.004 - 002.0";
inline constexpr std::string_view ScanTimer = "2.004 - 003.0";
inline constexpr std::string_view ScanFormCreate = "2.004 - 004.0";
inline constexpr std::string_view ScanButton1Click = "2.004 - 005.0";

// Unit 005: rename dialog.
inline constexpr std::string_view RenameButton1Click = "2.005 - 001.0";
inline constexpr std::string_view RenameButton2Click = "2.005 - 002.0";
inline constexpr std::string_view RenameFormClose = "2.005 - 003.0";

// The code of the main window's Button2Click for a step number.
inline std::string mainButton2ClickCode(int step) {
    return std::string(MainButton2ClickPrefix) + std::to_string(step);
}

// Every literal code once (Button2Click's as built for step 0).
inline constexpr std::array<std::string_view, 42> all = {CalSize,
                                                         MainFormCloseQuery,
                                                         MainFormCreate,
                                                         MainBitBtn1Click,
                                                         MainButton1Click,
                                                         CheckLaunchEnabled,
                                                         MainButton5Click,
                                                         CopyReportText,
                                                         "2.001 - 009.0",
                                                         MainCheckBox4Click,
                                                         MainButton4Click,
                                                         ChangeLanguage,
                                                         MainFormShow,
                                                         MainFormClose,
                                                         LoadLanguage,
                                                         CopyElapsedText,
                                                         CopyPlayList,
                                                         PauseCopy,
                                                         CopyButton1Click,
                                                         CopyFormClose,
                                                         CopyFormCreate,
                                                         CopyButton2Click,
                                                         CopyTimer1Timer,
                                                         CopyFormShow,
                                                         ReWriteFormCreate,
                                                         ReWriteFormClose,
                                                         ReWriteButton5Click,
                                                         ReWriteButton1Click,
                                                         ReWriteButton3Click,
                                                         ReWriteN1Click,
                                                         ReWriteButton4Click,
                                                         ReWriteN2Click,
                                                         ReWriteButton2Click,
                                                         ReWriteButton6Click,
                                                         ScanFormShow,
                                                         ScanFormClose,
                                                         ScanTimer,
                                                         ScanFormCreate,
                                                         ScanButton1Click,
                                                         RenameButton1Click,
                                                         RenameButton2Click,
                                                         RenameFormClose};

} // namespace tw::errors::codes
