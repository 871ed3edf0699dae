#include "errors/ErrorReporter.h"

#include "platform/FileSystem.h"

#include <utility>

namespace tw::errors {

ErrorReporter& ErrorReporter::instance() {
    static ErrorReporter reporter;
    return reporter;
}

void ErrorReporter::setProgramFolder(std::string folder) {
    m_programFolder = std::move(folder);
}

std::string ErrorReporter::programFolder() const {
    return m_programFolder.empty() ? platform::programFolder() : m_programFolder;
}

void ErrorReporter::setPresenter(ErrorPresenter* presenter) {
    m_presenter = presenter;
}

void ErrorReporter::setClock(Clock clock) {
    m_clock = clock ? std::move(clock) : Clock(localNow);
}

void ErrorReporter::report(const std::string& code, const std::string& typeName,
                           const std::string& dump) {
    if (m_windowOpen)
        return;
    if (m_programFolder.empty())
        m_programFolder = platform::programFolder();
    DebugLog(m_programFolder, m_clock).append(code, typeName, dump);
    if (m_presenter != nullptr)
        m_presenter->showError(code);
}

} // namespace tw::errors
