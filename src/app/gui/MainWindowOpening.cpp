// Playlists and folders that reach the main window without its buttons: from the command
// line and dropped from a file manager.
#include "app/gui/MainWindow.h"

#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "platform/FileSystem.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace tw::app {

namespace codes = errors::codes;

namespace {

struct DroppedFiles {
    std::optional<std::string> playlist;    // the first file
    std::optional<std::string> destination; // the first folder
};

DroppedFiles droppedFiles(const QMimeData* data) {
    DroppedFiles dropped;
    if (data == nullptr || !data->hasUrls())
        return dropped;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const std::string path = url.toLocalFile().toStdString();
        if (platform::folderExists(path)) {
            if (!dropped.destination)
                dropped.destination = path;
        } else if (!dropped.playlist) {
            dropped.playlist = path;
        }
    }
    return dropped;
}

} // namespace

void MainWindow::openPlaylist(const std::string& path) {
    errors::guarded(codes::MainChoosePlaylist, [this, &path] {
        m_state.setBusy(true);
        scanChosenPlaylist(path);
        m_state.setBusy(false);
    });
}

void MainWindow::useDestination(const std::string& folder) {
    errors::guardedWithStep(codes::MainChooseDestinationPrefix, [this, &folder] {
        m_state.setBusy(true);
        takeDestination(folder);
        m_state.setBusy(false);
    });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const DroppedFiles dropped = droppedFiles(event->mimeData());
    if (!m_state.busy() && (dropped.playlist || dropped.destination))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const DroppedFiles dropped = droppedFiles(event->mimeData());
    if (m_state.busy() || (!dropped.playlist && !dropped.destination))
        return;
    event->acceptProposedAction();
    // The scan's window and any box run after the drop has ended, not inside the drag
    // source's loop.
    QTimer::singleShot(0, this, [this, dropped] {
        if (m_state.busy())
            return;
        if (dropped.playlist)
            openPlaylist(*dropped.playlist);
        if (dropped.destination)
            useDestination(*dropped.destination);
    });
}

} // namespace tw::app
