#pragma once

#include <string>

namespace tw::i18n {

// Every caption and message the program shows, one entry per line of a language file
// (lines 3 to 114), plus the name of the current language. Each entry starts with its
// built-in Russian text; loadLanguageFile overwrites entries from a language file.
struct StringTable {
    // Main-window captions (lines 6-22 and 93). listCountPrefix..freeSpacePrefix hold the text that
    // goes straight before the value (the built-in ones end with a space; a line from a file
    // gets one space appended). playlistFilter is the whole open-dialog filter
    // "desc|*.m3u;*.pls|desc|*.*" (lines 20 and 21).
    std::string playlistLabel;           // 6
    std::string destinationLabel;        // 7
    std::string choosePlaylistButton;    // 8
    std::string chooseDestinationButton; // 9
    std::string aboutButton;             // 10
    std::string startCopyButton;         // 11
    std::string exitButton;              // 12
    std::string keepStructureOption;     // 13
    std::string transliterateOption;     // 14
    std::string onlyMp3Option;           // 15
    std::string asManyAsFitOption;       // 16
    std::string listCountPrefix;         // 17
    std::string listSizePrefix;          // 18
    std::string freeSpacePrefix;         // 19
    std::string playlistFilter;          // 20, 21
    std::string playlistDialogTitle;     // 22
    std::string checkNewVersionOption;   // 93

    // The named entries. The eleven report entries (StrReportTitle, StrReportCancelled and
    // the nine counter lines) carry the padding of padReportEntries.
    std::string StrKB;                // 3
    std::string StrMB;                // 4
    std::string StrGB;                // 5
    std::string StrOsNote;            // 23
    std::string StrAskExit;           // 24
    std::string StrExitCaption;       // 25
    std::string StrWarningCaption;    // 26
    std::string StrAsManyAsFit;       // 27
    std::string StrFreeSomeSpace;     // 28
    std::string StrSpaceTooSmall;     // 29
    std::string StrReportTitle;       // 30
    std::string StrReportCopied;      // 31
    std::string StrReportCreated;     // 32
    std::string StrReportReplaced;    // 33
    std::string StrReportRenamed;     // 34
    std::string StrReportSkipped;     // 35
    std::string StrReportIdentical;   // 36
    std::string StrReportFailed;      // 37
    std::string StrReportCancelled;   // 38
    std::string StrReportCaption;     // 39
    std::string StrChooseFolderTitle; // 40
    std::string StrBadFolder;         // 41
    std::string StrLocalOnly;         // 42
    std::string StrFreeSpace;         // 43
    std::string StrFileExists;        // 44
    std::string StrCreated;           // 45
    std::string StrElapsed;           // 46
    std::string StrAskStopCopy;       // 47
    std::string StrConfirmCaption;    // 48
    std::string StrListSize;          // 49
    std::string StrListCount;         // 50
    std::string StrResume;            // 51
    std::string StrPause;             // 52
    std::string StrCopyingCaption;    // 53
    std::string StrCancel;            // 54
    std::string StrChooseAction;      // 55
    std::string StrReplace;           // 56
    std::string StrSkip;              // 57
    std::string StrRename;            // 58
    std::string StrSameAction;        // 59
    std::string StrSameActionHint;    // 60
    std::string StrReplaceExisting;   // 61
    std::string StrWithFile;          // 62
    std::string StrNameTaken;         // 63
    std::string StrEnterOtherName;    // 64
    std::string StrRenameCaption;     // 65
    std::string StrEnterNewName;      // 66
    std::string StrNoFiles;           // 67
    std::string StrFileError;         // 68
    std::string StrScanCaption;       // 69
    std::string StrScanWait;          // 70
    std::string StrAboutText;         // 71
    std::string StrFreeware;          // 72
    std::string StrAboutCaption;      // 73
    std::string StrInternalCode;      // 74
    std::string StrMailNote;          // 75
    std::string StrMailSubject;       // 76
    std::string StrErrorCaption;      // 77
    std::string StrErrorHeadline;     // 77
    std::string StrErrorCode;         // 78
    std::string StrTellAuthor;        // 79
    std::string StrApology;           // 80
    std::string StrReinstall;         // 81
    std::string StrErrorChoose;       // 82
    std::string StrIgnore;            // 83
    std::string StrCloseProgram;      // 84
    std::string StrReportMissing;     // 85
    std::string StrRenameManual;      // 86
    std::string StrRenameAuto;        // 87
    std::string StrReportAutoRenamed; // 88
    std::string StrAutoRenameOn;      // 89
    std::string StrSameSize;          // 90
    std::string StrNotAgain;          // 91
    std::string StrOpenFolder;        // 92
    std::string StrNewVersion;        // 94
    std::string StrVersion;           // 95
    std::string StrUpdateDate;        // 96
    std::string StrChanges;           // 97
    std::string StrOpenSite;          // 98
    std::string StrRemindLater;       // 99
    // Beyond line 99: the options of a re-copy and the report's playlist line.
    std::string writePlaylistOption; // 100
    std::string skipSameOption;      // 101
    std::string StrReportPlaylist;   // 102
    // Beyond line 102: why the rename dialog refuses a name.
    std::string StrNameTooLong;   // 103
    std::string StrNameCharacter; // 104
    std::string StrNameEnding;    // 105
    std::string StrNameSeparator; // 106
    std::string StrNameDots;      // 107
    // Beyond line 107: the About window's credit line, the removable drives offered as
    // destinations and taking one out safely after a copy.
    std::string StrCredit;          // 108
    std::string StrRemovableDrives; // 109
    std::string StrSafelyRemove;    // 110
    std::string StrDriveRemoved;    // 111
    std::string StrDriveBusy;       // 112
    std::string StrRemoveFailed;    // 113
    // Beyond line 113: the option that numbers the copied files in playlist order.
    std::string numberOption; // 114

    // Name of the current language: a folder name below "Language"; "Russian" is built in.
    std::string CurrentLanguage;

    StringTable(); // every entry holds its built-in Russian text

    // Puts every entry back to its built-in text; CurrentLanguage is left unchanged.
    void resetToBuiltIn();

    // Applies line `line` (3..114) of a language file to its entry; other line numbers are
    // ignored. Lines 17-19 get one space appended, line 20 replaces the whole filter, line 21
    // extends it, line 77 sets StrErrorCaption and StrErrorHeadline.
    void applyLine(int line, const std::string& text);

    // Pads the report entries: five leading spaces, then 22 trailing spaces on
    // StrReportTitle, 20 on StrReportCancelled and one on each of the nine counter lines.
    void padReportEntries();
};

} // namespace tw::i18n
