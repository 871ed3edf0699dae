#pragma once

#include <QPoint>

class QWidget;

namespace tw::app {

// The place for a window whose saved place is (left, top): there, unless no available
// screen shows it; then centred on the primary screen.
QPoint onScreenPosition(const QWidget& window, int left, int top);

} // namespace tw::app
