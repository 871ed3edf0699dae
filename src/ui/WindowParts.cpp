#include "ui/WindowParts.h"

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

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
    return named<QLabel>(name, parent);
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
