#include "ui/WindowParts.h"

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QWidget>

namespace tw::ui {

QFrame* sunkenPanel(const char* name, QWidget* parent) {
    auto* panel = named<QFrame>(name, parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

QFrame* skyBluePanel(const char* name, QWidget* parent) {
    QFrame* panel = sunkenPanel(name, parent);
    paintBackground(panel, skyBlue);
    // Dark text on the light blue, whatever the desktop's colour scheme.
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(palette);
    return panel;
}

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* label(const char* name, QWidget* parent) {
    auto* l = named<QLabel>(name, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    // A tool tip guesses its format; escaped text in a paragraph of its own is shown as it is.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setLinkColour(QLabel* link, const QColor& colour) {
    QPalette palette = link->palette();
    if (palette.color(QPalette::WindowText) == colour)
        return;
    palette.setColor(QPalette::WindowText, colour);
    link->setPalette(palette);
}

void keepOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    // Before the window is shown its frame is not known yet: room is left for a usual one.
    const QSize frameExtra = window->isVisible()
                                 ? window->frameGeometry().size() - window->geometry().size()
                                 : QSize(16, 40);
    const QSize room = (area.size() - frameExtra).expandedTo(QSize(1, 1));
    if (window->width() > room.width() || window->height() > room.height()) {
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        window->resize(window->size().boundedTo(room));
    }
    QRect frame = window->frameGeometry();
    frame.setSize(window->size() + frameExtra);
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    window->move(frame.topLeft());
}

QPushButton* button(const char* name, QWidget* parent) {
    auto* b = named<QPushButton>(name, parent);
    b->setAutoDefault(false);
    return b;
}

QPoint menuPlace(const QWidget* button) {
    const QPoint pointer = QCursor::pos();
    if (button->rect().contains(button->mapFromGlobal(pointer)))
        return pointer;
    return button->mapToGlobal(QPoint(0, button->height()));
}

} // namespace tw::ui
