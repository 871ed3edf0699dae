#include "update/NewVersionCheck.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "text/LineReader.h"
#include "update/CheckSchedule.h"

#include <utility>

namespace tw::update {

namespace {

constexpr const char* LastCheck = "LastCheck.ini";
constexpr const char* CheckNVTrue = "CheckNVTrue.txt";
constexpr const char* CheckNVFalse = "CheckNVFalse";
constexpr const char* CheckReady = "CheckReady";
constexpr const char* CheckTrue = "CheckTrue";

} // namespace

NewVersionCheck::NewVersionCheck(std::string folder, std::string program, NewVersionHost& host)
    : m_folder(std::move(folder))
    , m_program(std::move(program))
    , m_host(host) {}

void NewVersionCheck::start() {
    if (m_checkStarted)
        return;
    m_checkStarted = true;

    // An announcement from an earlier run is waiting: show it, do not ask the site again.
    if (platform::fileExists(file(CheckNVTrue))) {
        if (!platform::fileExists(file(CheckTrue)))
            resultStep();
        return;
    }

    const errors::LocalTime now = m_host.now();
    if (platform::fileExists(file(LastCheck))) {
        text::LineReader reader(file(LastCheck));
        std::string dateLine, timeLine;
        reader.next(dateLine);
        reader.next(timeLine);
        if (!checkDue(now, dateLine, timeLine))
            return;
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
    m_host.enableTimer1(true);
}

void NewVersionCheck::timer1Tick() {
    if (!platform::fileExists(file(CheckReady)))
        return;
    if (!platform::fileExists(file(CheckNVTrue))) {
        m_host.enableTimer1(false);
        return;
    }
    if (!platform::fileExists(file(CheckTrue))) {
        resultStep();
        m_host.enableTimer1(false);
    }
}

void NewVersionCheck::timer2Tick() {
    m_host.enableTimer2(false);
    resultStep();
}

void NewVersionCheck::resultStep() {
    if (m_resultHandled)
        return;
    m_host.enableTimer1(false);
    if (m_host.busy()) {
        m_host.enableTimer2(true);
        return;
    }
    m_resultHandled = true;
    if (platform::fileExists(file(CheckNVFalse))) {
        platform::deleteFile(file(CheckNVFalse));
        return;
    }
    if (!platform::fileExists(file(CheckNVTrue)) || platform::fileExists(file(CheckTrue)))
        return;
    m_host.showAnnouncement();
    m_host.clearBusy();
}

void NewVersionCheck::forgetAcknowledgement() {
    platform::deleteFile(file(CheckTrue));
}

} // namespace tw::update
