#include "app/gui/ScreenPlacement.h"

#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <vector>

namespace tw::app {

namespace {

ScreenArea areaOf(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

} // namespace

QPoint onScreenPosition(const QWidget& window, int left, int top) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return {left, top};
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(areaOf(screen->availableGeometry()));
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    const WindowPosition p = placeOnScreens(left, top, size.width(), size.height(), screens,
                                            areaOf(primary->availableGeometry()));
    return {p.left, p.top};
}

} // namespace tw::app
