#include "app/gui/TerminationWatch.h"

#include "app/gui/MainWindow.h"
#include "errors/ErrorReporter.h"
#include "platform/TerminationSignal.h"
#include "ui/SessionEnd.h"

#include <QSocketNotifier>

namespace tw::app {

TerminationWatch::TerminationWatch(MainWindow& mainWindow)
    : m_mainWindow(mainWindow)
    , m_descriptor(platform::terminationDescriptor()) {
    if (m_descriptor < 0)
        return;
    m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatch::signalled);
}

void TerminationWatch::signalled() {
    platform::drainTermination(m_descriptor);
    // A second signal while the first is being obeyed changes nothing.
    if (ui::sessionEnding())
        return;
    if (!errors::ErrorReporter::instance().terminateRequested())
        m_mainWindow.saveSettings();
    ui::endSession();
}

} // namespace tw::app
