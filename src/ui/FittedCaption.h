#pragma once

#include <QString>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QWidget;

// Captions that may come from a language file, of any length up to a line's bound: each is
// shortened at its end ("…") where it would be wider than its share of the screen, and the
// whole text then shows as the control's tooltip, so that no window or menu grows past the
// screen while a caption that fits is shown whole.
namespace tw::ui {

// The pixels a caption may take: the share given of the available width of the screen the
// widget is on (the primary screen when it is on none yet).
int captionWidth(const QWidget* widget, double screenShare);

// Sets the caption, shortened to maxWidth pixels where needed. The tooltip is the whole
// caption when it was shortened (followed by the hint, when there is one), otherwise the
// hint alone.
void setFittedText(QAbstractButton* control, const QString& text, int maxWidth,
                   const QString& hint = {});
void setFittedText(QLabel* label, const QString& text, int maxWidth, const QString& hint = {});

// A menu item's caption, shortened to maxWidth pixels of the menu's font where needed, the
// whole caption then in the item's tooltip (the menu shows item tooltips).
void setFittedText(QMenu* menu, QAction* item, const QString& text, int maxWidth);

} // namespace tw::ui
