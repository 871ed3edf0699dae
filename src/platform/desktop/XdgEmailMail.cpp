#include "platform/desktop/XdgEmailMail.h"

#include "platform/FileSystem.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace tw::platform {

XdgEmailMail::XdgEmailMail(QString program, int waitMs)
    : m_program(std::move(program))
    , m_waitMs(waitMs) {}

bool XdgEmailMail::handOver(const MailMessage& message) {
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"),
                          QString::fromStdString(message.subject)};
    if (!message.attachmentPath.empty() && fileExists(message.attachmentPath))
        arguments << QStringLiteral("--attach") << QString::fromStdString(message.attachmentPath);
    arguments << QString::fromStdString(message.recipient);

    // Not owned by this call: a mail client still running after the wait keeps it, and it
    // goes when the client ends.
    auto* process = new QProcess;
    process->setProgram(m_program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    bool failedToStart = false;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop,
                     [&loop, &failedToStart](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             failedToStart = true;
                             loop.quit();
                         }
                     });
    QTimer::singleShot(m_waitMs, &loop, &QEventLoop::quit);
    process->start();
    if (!failedToStart && process->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (failedToStart || process->state() == QProcess::NotRunning) {
        const bool done = !failedToStart && process->exitStatus() == QProcess::NormalExit &&
                          process->exitCode() == 0;
        delete process;
        return done;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
}

} // namespace tw::platform
