#pragma once

#include "i18n/StringTable.h"

#include <string>
#include <utility>
#include <vector>

namespace tw::i18n::test {

// One row of builtin_texts.tsv: a language-file line, the entry it sets and the entry's
// built-in text (report entries without their padding). Line 77 has two rows; lines 20
// and 21 are named FilterFirstDescription and FilterSecondDescription.
struct BuiltInRow {
    int line = 0;
    std::string name;
    std::string text;
};

// The rows of the data file, kept apart from the program's own copy of the texts.
const std::vector<BuiltInRow>& builtInRows();

using Field = std::string StringTable::*;

// Every text field of the table by its name (playlistFilter included, CurrentLanguage not).
const std::vector<std::pair<std::string, Field>>& tableFields();

// The field of that name; fails the test when there is none.
Field fieldNamed(const std::string& name);

// True for the eleven report entries that the loader pads.
bool isReportEntry(const std::string& name);

// The built-in text of the entry as the table holds it: report entries padded once.
std::string paddedBuiltIn(const BuiltInRow& row);

// The whole built-in filter built from the two description rows.
std::string builtInFilter();

// Pads a report entry's words once, as the loader does.
std::string padReport(const std::string& name, const std::string& words);

// The fields whose texts differ between two tables, by name.
std::vector<std::string> differingFields(const StringTable& a, const StringTable& b);

} // namespace tw::i18n::test
