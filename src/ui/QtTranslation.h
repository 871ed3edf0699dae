#pragma once

#include <QString>
#include <QTranslator>

#include <memory>
#include <string>

// Qt's own texts (the Yes and No buttons of message boxes, "Show Details...", the file
// dialogs) in the language of the program's interface.
namespace tw::ui {

// The two-letter code of a language named by its folder ("Russian" -> "ru", "German" ->
// "de"), matched against Qt's English names of languages; empty when none matches.
QString languageCode(const std::string& languageName);

class QtTranslation {
public:
    // programFolder: Qt's catalogues shipped with the program lie in its Translations folder;
    // the system's (Debian's qt6-translations-l10n) are used where it has none.
    explicit QtTranslation(std::string programFolder);
    ~QtTranslation();
    QtTranslation(const QtTranslation&) = delete;
    QtTranslation& operator=(const QtTranslation&) = delete;

    // Takes out the catalogue of the previous language and puts in that of the named one.
    // True when Qt now speaks that language: a catalogue was found, or the language is
    // English, Qt's own. Without a catalogue Qt's texts stay English.
    bool use(const std::string& languageName);

    // The catalogue file in use; empty when none.
    const QString& catalogue() const { return m_catalogue; }

private:
    std::string m_programFolder;
    std::unique_ptr<QTranslator> m_translator;
    QString m_catalogue;
};

} // namespace tw::ui
