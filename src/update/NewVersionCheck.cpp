#include "update/NewVersionCheck.h"

#include "errors/ErrorCodes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "text/LineReader.h"
#include "update/CheckSchedule.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace tw::update {

namespace {

// A date and a time are this long at most ("dd.mm.yyyy", "hh:nn:ss"), with a few blanks.
constexpr std::size_t MaxLastCheckLine = 16;
constexpr std::int64_t MaxLastCheckBytes = 64;

struct LastCheckLines {
    std::string date;
    std::string time;
};

// The two lines of LastCheck.ini, or nothing when the file is not a date line and a time
// line: too large, lines too long, or not a date and a time.
std::optional<LastCheckLines> readLastCheck(const std::string& path) {
    if (platform::regularFileSize(path) > MaxLastCheckBytes)
        return std::nullopt;
    text::LineReader reader(path, text::LineReader::Options{256, MaxLastCheckLine, false});
    LastCheckLines lines;
    if (!reader.next(lines.date) || reader.lastLineCut() || !reader.next(lines.time) ||
        reader.lastLineCut())
        return std::nullopt;
    if (!parseCheckDate(lines.date) || !parseCheckTime(lines.time))
        return std::nullopt;
    return lines;
}

constexpr const char* LastCheck = "LastCheck.ini";
constexpr const char* CheckNVTrue = "CheckNVTrue.txt";
constexpr const char* CheckNVTrueEng = "CheckNVTrueEng.txt";
constexpr const char* CheckNVFalse = "CheckNVFalse";
constexpr const char* CheckReady = "CheckReady";
constexpr const char* CheckTrue = "CheckTrue";

} // namespace

bool NewVersionCheck::announcementWaiting() const {
    // Either variant: the window falls back to the one that arrived.
    return platform::fileExists(file(CheckNVTrue)) || platform::fileExists(file(CheckNVTrueEng));
}

NewVersionCheck::NewVersionCheck(std::string folder, std::string program, NewVersionHost& host)
    : m_folder(std::move(folder))
    , m_program(std::move(program))
    , m_host(host) {}

void NewVersionCheck::start() {
    if (m_checkStarted)
        return;
    m_checkStarted = true;

    // An announcement from an earlier run is waiting: show it, do not ask the site again.
    if (announcementWaiting()) {
        if (!platform::fileExists(file(CheckTrue)))
            resultStep();
        return;
    }

    const errors::LocalTime now = m_host.now();
    if (platform::fileExists(file(LastCheck))) {
        const std::optional<LastCheckLines> last = readLastCheck(file(LastCheck));
        if (!last) {
            // What a power cut or a full disk can leave: taken as no earlier check, noted
            // once, and the file is written anew below.
            m_host.noteInLog(std::string(errors::codes::NewVersionCheckStart),
                             "LastCheck.ini is damaged and was written anew");
        } else if (!checkDue(now, last->date, last->time)) {
            return;
        }
    }

    // Made anew: a pipe or other odd entry under the name would block the window.
    platform::deleteFile(file(LastCheck));
    platform::OutputFile lastCheck(file(LastCheck), platform::OutputFile::Mode::Truncate);
    lastCheck.write(formatCheckDate(now) + "\n" + formatCheckTime(now) + "\n");
    lastCheck.close();

    // The finished-mark of an earlier check must not pass for this check's answer before
    // the checker has had time to remove it.
    platform::deleteFile(file(CheckReady));

    m_host.startChecker(m_program);
    m_host.pollForAnswer(true);
}

void NewVersionCheck::answerPollTick() {
    if (!platform::fileExists(file(CheckReady)))
        return;
    if (!announcementWaiting()) {
        m_host.pollForAnswer(false);
        return;
    }
    if (!platform::fileExists(file(CheckTrue))) {
        resultStep();
        m_host.pollForAnswer(false);
    }
}

void NewVersionCheck::announcementRetryTick() {
    m_host.retryAnnouncementLater(false);
    resultStep();
}

void NewVersionCheck::resultStep() {
    if (m_resultHandled)
        return;
    m_host.pollForAnswer(false);
    if (m_host.busy()) {
        m_host.retryAnnouncementLater(true);
        return;
    }
    m_resultHandled = true;
    if (platform::fileExists(file(CheckNVFalse))) {
        platform::deleteFile(file(CheckNVFalse));
        return;
    }
    if (!announcementWaiting() || platform::fileExists(file(CheckTrue)))
        return;
    m_host.showAnnouncement();
    m_host.clearBusy();
}

void NewVersionCheck::forgetAcknowledgement() {
    platform::deleteFile(file(CheckTrue));
}

} // namespace tw::update
