#pragma once

class QLabel;
class QString;
class QWidget;

namespace vorlane {

/// The name a screen reader reads for the field a caption labels: the caption's
/// text without its mnemonic marker and its closing colon ("&Login :" -> "Login").
QString captionName(const QString &caption);

/// Attaches `caption` to `field`: the caption's mnemonic moves the focus to the
/// field, and the field's accessible name is the caption's text.
void labelField(QLabel *caption, QWidget *field);

/// Centres `window` on the screen it belongs to each time it is shown: the screen
/// of its parent, else of the active window (the lock screen), else the primary one.
void centreWhenShown(QWidget *window);

/// Centres `window` on that screen now.
void centreOnScreen(QWidget *window);

} // namespace vorlane
