#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Small factories for the controls every window of the program builds the same way.
namespace tw::ui {

// The sky-blue of the information panels.
inline const QColor skyBlue{0xA6, 0xCA, 0xF0};

// A UTF-8 text of the core as a window text.
inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// A control of the given kind, named so that tests and the string table can find it.
template <class Widget>
Widget* named(const char* name, QWidget* parent) {
    auto* w = new Widget(parent);
    w->setObjectName(name);
    return w;
}

// A sunken panel.
QFrame* sunkenPanel(const char* name, QWidget* parent);

// A sunken panel on the sky-blue background.
QFrame* skyBluePanel(const char* name, QWidget* parent);

// Fills the widget's background with the colour.
void paintBackground(QWidget* widget, const QColor& colour);

// A label that shows its text as written: texts from language files, announcements and file
// names are never laid out as markup.
QLabel* label(const char* name, QWidget* parent);

// A tool tip that shows the text as written, whatever it looks like.
QString plainToolTip(const QString& text);

// Colours a link label's text (blue at rest, red under the pointer).
void setLinkColour(QLabel* link, const QColor& colour);

// Makes the window no larger than the available area of its screen and moves it back onto
// that area when it lies partly off it.
void keepOnScreen(QWidget* window);

// A push button that does not become the default button when it takes the focus.
QPushButton* button(const char* name, QWidget* parent);

// Where the menu of a button opens: at the mouse pointer when the pointer is on the button
// (it was clicked), otherwise (it was pressed from the keyboard) below the button, at its
// left edge.
QPoint menuPlace(const QWidget* button);

} // namespace tw::ui
