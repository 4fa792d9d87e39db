#pragma once

#include <QPushButton>

namespace vorlane {

/// A button that looks like the text it replaces: the windows' clickable texts
/// ("Logout", "About Vorlane", a status-bar panel, the server's commands). It
/// paints only its text, as a label would, and is still a push button for the
/// keyboard (a Tab stop, Space and Enter press it) and for a screen reader (the
/// role of a button and its "Press" action).
class TextButton : public QPushButton {
    Q_OBJECT
public:
    explicit TextButton(const QString &text = {}, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// The alignment of the text inside the button (left and centred vertically).
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace vorlane
