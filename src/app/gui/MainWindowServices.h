#pragma once

#include "app/CopyWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFileDialog;
class QObject;
class QWidget;

namespace tw::platform {
class RemovableDriveWatch;
}

namespace tw::app {

// The world outside the main window: the two file dialogs, the browser, the About and copy
// windows. Tests replace the parts they stand in for.
struct MainWindowServices {
    // Runs the playlist open dialog; the chosen file, or nothing when cancelled.
    std::function<std::optional<std::string>(QFileDialog& dialog)> choosePlaylist;
    // Runs the folder browser over the parent; the folder chosen (empty when it has no
    // file-system path), or nothing when cancelled.
    std::function<std::optional<std::string>(QWidget* parent, const std::string& title,
                                             const std::string& initialFolder)>
        chooseFolder;
    // Opens a page with the desktop's default program for it; the result is ignored.
    std::function<void(const std::string& path)> openPage;
    // Shows the About window modally over the main window.
    std::function<void(const i18n::StringTable& strings, QWidget* mainWindow,
                       const std::string& programFolder)>
        showAbout;
    CopyWindowFactory copyWindow;
    // The removable drives offered as destinations, and taking one out after a copy.
    std::function<std::unique_ptr<platform::RemovableDriveWatch>(QObject* parent)> removableDrives;

    // The real dialogs, browser and windows.
    static MainWindowServices system();
};

} // namespace tw::app
