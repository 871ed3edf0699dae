#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include <utility>

namespace tw::ui {

QString languageCode(const std::string& languageName) {
    const QString name = QString::fromStdString(languageName);
    for (int i = QLocale::AnyLanguage + 1; i <= QLocale::LastLanguage; ++i) {
        const auto language = static_cast<QLocale::Language>(i);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0)
            return QLocale::languageToCode(language, QLocale::ISO639Part1);
    }
    return {};
}

QtTranslation::QtTranslation(std::string programFolder)
    : m_programFolder(std::move(programFolder)) {}

QtTranslation::~QtTranslation() {
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

bool QtTranslation::use(const std::string& languageName) {
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_catalogue.clear();
    const QString code = languageCode(languageName);
    if (code.isEmpty())
        return false;
    if (code == QLatin1String("en"))
        return true;
    const QString file = QStringLiteral("qtbase_") + code;
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder :
         {QString::fromStdString(m_programFolder) + QStringLiteral("/Translations"),
          QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(file, folder)) {
            m_catalogue = translator->filePath();
            QCoreApplication::installTranslator(translator.get());
            m_translator = std::move(translator);
            return true;
        }
    }
    return false;
}

} // namespace tw::ui
