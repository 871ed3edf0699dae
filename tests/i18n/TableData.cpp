#include "TableData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace tw::i18n::test {

const std::vector<BuiltInRow>& builtInRows() {
    static const std::vector<BuiltInRow> rows = [] {
        std::vector<BuiltInRow> result;
        std::ifstream in(std::string(TW_I18N_TEST_DATA) + "/builtin_texts.tsv");
        if (!in)
            throw std::runtime_error("builtin_texts.tsv not found");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line.front() == '#')
                continue;
            const auto tab1 = line.find('\t');
            const auto tab2 = line.find('\t', tab1 + 1);
            const std::string quoted = line.substr(tab2 + 1);
            if (tab1 == std::string::npos || tab2 == std::string::npos || quoted.size() < 2 ||
                quoted.front() != '"' || quoted.back() != '"')
                throw std::runtime_error("bad row in builtin_texts.tsv: " + line);
            result.push_back({std::stoi(line.substr(0, tab1)),
                              line.substr(tab1 + 1, tab2 - tab1 - 1),
                              quoted.substr(1, quoted.size() - 2)});
        }
        return result;
    }();
    return rows;
}

const std::vector<std::pair<std::string, Field>>& tableFields() {
#define F(name)                                                                                    \
    { #name, &StringTable::name }
    static const std::vector<std::pair<std::string, Field>> fields = {
        F(StrKB),
        F(StrMB),
        F(StrGB),
        F(playlistLabel),
        F(destinationLabel),
        F(choosePlaylistButton),
        F(chooseDestinationButton),
        F(aboutButton),
        F(startCopyButton),
        F(exitButton),
        F(keepStructureOption),
        F(transliterateOption),
        F(onlyMp3Option),
        F(asManyAsFitOption),
        F(listCountPrefix),
        F(listSizePrefix),
        F(freeSpacePrefix),
        F(playlistFilter),
        F(playlistDialogTitle),
        F(StrOsNote),
        F(StrAskExit),
        F(StrExitCaption),
        F(StrWarningCaption),
        F(StrAsManyAsFit),
        F(StrFreeSomeSpace),
        F(StrSpaceTooSmall),
        F(StrReportTitle),
        F(StrReportCopied),
        F(StrReportCreated),
        F(StrReportReplaced),
        F(StrReportRenamed),
        F(StrReportSkipped),
        F(StrReportIdentical),
        F(StrReportFailed),
        F(StrReportCancelled),
        F(StrReportCaption),
        F(StrChooseFolderTitle),
        F(StrBadFolder),
        F(StrLocalOnly),
        F(StrFreeSpace),
        F(StrFileExists),
        F(StrCreated),
        F(StrElapsed),
        F(StrAskStopCopy),
        F(StrConfirmCaption),
        F(StrListSize),
        F(StrListCount),
        F(StrResume),
        F(StrPause),
        F(StrCopyingCaption),
        F(StrCancel),
        F(StrChooseAction),
        F(StrReplace),
        F(StrSkip),
        F(StrRename),
        F(StrSameAction),
        F(StrSameActionHint),
        F(StrReplaceExisting),
        F(StrWithFile),
        F(StrNameTaken),
        F(StrEnterOtherName),
        F(StrRenameCaption),
        F(StrEnterNewName),
        F(StrNoFiles),
        F(StrFileError),
        F(StrScanCaption),
        F(StrScanWait),
        F(StrAboutText),
        F(StrFreeware),
        F(StrAboutCaption),
        F(StrInternalCode),
        F(StrMailNote),
        F(StrMailSubject),
        F(StrErrorCaption),
        F(StrErrorHeadline),
        F(StrErrorCode),
        F(StrTellAuthor),
        F(StrApology),
        F(StrReinstall),
        F(StrErrorChoose),
        F(StrIgnore),
        F(StrCloseProgram),
        F(StrReportMissing),
        F(StrRenameManual),
        F(StrRenameAuto),
        F(StrReportAutoRenamed),
        F(StrAutoRenameOn),
        F(StrSameSize),
        F(StrNotAgain),
        F(StrOpenFolder),
        F(checkNewVersionOption),
        F(StrNewVersion),
        F(StrVersion),
        F(StrUpdateDate),
        F(StrChanges),
        F(StrOpenSite),
        F(StrRemindLater),
        F(writePlaylistOption),
        F(skipSameOption),
        F(StrReportPlaylist),
        F(StrNameTooLong),
        F(StrNameCharacter),
        F(StrNameEnding),
        F(StrNameSeparator),
        F(StrNameDots),
        F(StrCredit),
        F(StrRemovableDrives),
        F(StrSafelyRemove),
        F(StrDriveRemoved),
        F(StrDriveBusy),
        F(StrRemoveFailed),
        F(numberOption),
    };
#undef F
    return fields;
}

Field fieldNamed(const std::string& name) {
    for (const auto& [n, field] : tableFields()) {
        if (n == name)
            return field;
    }
    ADD_FAILURE() << "no field named " << name;
    return &StringTable::CurrentLanguage;
}

bool isReportEntry(const std::string& name) {
    static const std::vector<std::string> report = {
        "StrReportTitle",     "StrReportCancelled", "StrReportCopied",      "StrReportCreated",
        "StrReportReplaced",  "StrReportRenamed",   "StrReportAutoRenamed", "StrReportSkipped",
        "StrReportIdentical", "StrReportFailed",    "StrReportMissing"};
    return std::find(report.begin(), report.end(), name) != report.end();
}

std::string padReport(const std::string& name, const std::string& words) {
    std::size_t trailing = 1;
    if (name == "StrReportTitle")
        trailing = 22;
    else if (name == "StrReportCancelled")
        trailing = 20;
    return std::string(5, ' ') + words + std::string(trailing, ' ');
}

std::string paddedBuiltIn(const BuiltInRow& row) {
    return isReportEntry(row.name) ? padReport(row.name, row.text) : row.text;
}

std::string builtInFilter() {
    std::string first;
    std::string second;
    for (const BuiltInRow& row : builtInRows()) {
        if (row.name == "FilterFirstDescription")
            first = row.text;
        if (row.name == "FilterSecondDescription")
            second = row.text;
    }
    return first + "|*.m3u;*.pls|" + second + "|*.*";
}

std::vector<std::string> differingFields(const StringTable& a, const StringTable& b) {
    std::vector<std::string> names;
    for (const auto& [name, field] : tableFields()) {
        if (a.*field != b.*field)
            names.push_back(name);
    }
    return names;
}

} // namespace tw::i18n::test
