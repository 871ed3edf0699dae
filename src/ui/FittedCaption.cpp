#include "ui/FittedCaption.h"

#include "ui/WindowParts.h"

#include <QAbstractButton>
#include <QAction>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tw::ui {

namespace {

// A caption never shrinks below this, whatever the screen.
constexpr int minimumCaptionWidth = 60;

// The text shortened to the width in the font; `cut` tells whether it had to be.
QString fitted(const QFontMetrics& metrics, const QString& text, int maxWidth, bool& cut) {
    cut = metrics.horizontalAdvance(text) > maxWidth;
    return cut ? metrics.elidedText(text, Qt::ElideRight, maxWidth) : text;
}

QString toolTip(bool cut, const QString& text, const QString& hint) {
    if (!cut)
        return hint.isEmpty() ? hint : plainToolTip(hint);
    return plainToolTip(hint.isEmpty() ? text : text + "\n" + hint);
}

} // namespace

int captionWidth(const QWidget* widget, double screenShare) {
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const int width = screen != nullptr ? screen->availableGeometry().width() : 1024;
    return std::max(minimumCaptionWidth, static_cast<int>(width * screenShare));
}

void setFittedText(QAbstractButton* control, const QString& text, int maxWidth,
                   const QString& hint) {
    bool cut = false;
    control->setText(fitted(control->fontMetrics(), text, maxWidth, cut));
    control->setToolTip(toolTip(cut, text, hint));
}

void setFittedText(QLabel* label, const QString& text, int maxWidth, const QString& hint) {
    bool cut = false;
    label->setText(fitted(label->fontMetrics(), text, maxWidth, cut));
    label->setToolTip(toolTip(cut, text, hint));
}

void setFittedText(QMenu* menu, QAction* item, const QString& text, int maxWidth) {
    bool cut = false;
    item->setText(fitted(QFontMetrics(menu->font()), text, maxWidth, cut));
    item->setToolTip(cut ? plainToolTip(text) : QString());
    menu->setToolTipsVisible(true);
}

} // namespace tw::ui
