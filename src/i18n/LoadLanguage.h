#pragma once

#include "i18n/MainCaption.h"
#include "i18n/StringTable.h"

#include <string>

namespace tw::i18n {

// The side of the main window that a language load talks to: it is handed every caption the
// moment the loader sets it, so a load that fails half-way leaves the window showing exactly
// what the table holds.
class MainWindowCaptions {
public:
    virtual ~MainWindowCaptions() = default;

    // The value that follows the prefix of an information label: the file-count text for
    // the list-count label, the list size for the list-size label and the free space for the
    // free-space label, the sizes formatted with the units the table holds now and zero shown as
    // nothing.
    virtual std::string informationValue(MainCaption label, const StringTable& table) = 0;

    // Shows the text on the control (for the filter: the whole filter text).
    virtual void setCaption(MainCaption control, const std::string& text) = 0;

    // Sets the help button's hint: the name of the language its help pages are in.
    virtual void setHelpHint(const std::string& hint) = 0;
};

// Loads the language `name` into the table and re-captions the main window as it goes: sets
// CurrentLanguage (also when the file is missing or unusable), starts from the built-in
// texts, applies lines 3 to 99 of Language/<name>/<name>.txt in order, pads the report
// entries, then chooses the help language and shows it as the help button's hint.
// Throws platform::FileError when the file exists but cannot be read: what was applied until
// then stays, and the help hint is left as it was.
void loadLanguage(StringTable& table, const std::string& programFolder, const std::string& name,
                  MainWindowCaptions& window);

// Hands the window every caption of the table as it stands (the information labels
// composed with their current values).
void showCaptions(const StringTable& table, MainWindowCaptions& window);

// The language whose help pages the help button opens: "Russian" for Russian; otherwise the
// language itself when it has Language/<name>/Help/index.htm, else "English" when English
// has one, else "Russian".
std::string helpLanguage(const std::string& programFolder, const std::string& currentLanguage);

} // namespace tw::i18n
