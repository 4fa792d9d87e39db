#pragma once

#include <QColor>
#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace vorlane {

class StationContext;

/// Window "frmadvertisment" ("Vorlane - Custom Advertisment Text"): the header and
/// the three body lines the lock screen shows, each part with its colour.
class AdvertisementEditor : public QDialog {
    Q_OBJECT
public:
    /// Asks for a colour starting from `initial`; nullopt when cancelled.
    using ColourChooser = std::function<std::optional<QColor>(QWidget *parent, const QColor &initial)>;

    explicit AdvertisementEditor(StationContext &context, QWidget *parent = nullptr);
    ~AdvertisementEditor() override;

    /// Replaces the platform's colour dialog (tests).
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    /// Reads both files into the boxes and colour texts, and focuses the header.
    void activate();

public Q_SLOTS:
    void Command1_Click(); // Save
    void Command3_Click(); // Refresh
    void Command4_Click(); // header colour
    void Command5_Click(); // body colour

private:
    void chooseColour(QLabel *colourText);
    static void paintColourText(QLabel *colourText);

    StationContext &m_context;
    ColourChooser m_chooseColour;
    QLineEdit *m_header = nullptr;
    QLineEdit *m_body[3] = {};
    QLabel *m_headerColour = nullptr;
    QLabel *m_bodyColour = nullptr;
};

} // namespace vorlane
