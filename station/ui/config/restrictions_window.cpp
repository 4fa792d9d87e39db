#include "config/restrictions_window.h"

#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane {

namespace {

constexpr const char *kRestartNote = "Some changes may require restarting windows to take effect.";
constexpr const char *kStoredOnly = "Stored only: this desktop has no equivalent setting.";

// &H995030: blue 0x99, green 0x50, red 0x30. Text on it is white to stay readable.
void paintBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(0x30, 0x50, 0x99));
    palette.setColor(QPalette::WindowText, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

RestrictionsWindow::RestrictionsWindow(StationContext &context, Kind kind, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_restrictions(kind == Kind::System ? systemRestrictions() : explorerRestrictions())
{
    const bool system = kind == Kind::System;
    setObjectName(system ? QStringLiteral("Remover1") : QStringLiteral("remover2"));
    centreWhenShown(this);
    setWindowTitle(system ? QStringLiteral("Vorlane - System Security Options")
                          : QStringLiteral("Vorlane - Internet Explorer Security Options"));
    paintBackground(this);

    auto *layout = new QVBoxLayout(this);
    // One frame per heading, in the order the headings first appear.
    QMap<QString, QGroupBox *> sections;
    QList<QGroupBox *> order;
    for (const Restriction &r : m_restrictions) {
        const QString heading = QString::fromLatin1(r.section);
        QGroupBox *&section = sections[heading];
        if (!section) {
            section = new QGroupBox(heading, this);
            new QVBoxLayout(section);
            order << section;
        }
        auto *box = new QCheckBox(QString::fromLatin1(r.caption), section);
        box->setObjectName(QString::fromLatin1(r.box));
        if (r.desktop.empty())
            box->setToolTip(QString::fromLatin1(kStoredOnly));
        section->layout()->addWidget(box);
        m_boxes << box;
    }
    if (QCheckBox *panel = findChild<QCheckBox *>(QStringLiteral("panelprinter")))
        panel->setToolTip(
            QStringLiteral("Remove the Contrl Panel and Printers from Settings and from My Computer"));
    if (!system) {
        // Kept for its look: nothing reads or stores the folder typed here.
        QGroupBox *advanced = order.last();
        auto *caption = new QLabel(
            QStringLiteral("Specify Default Download Directory For Internet Explorer"), advanced);
        auto *folder = new QLineEdit(advanced);
        folder->setObjectName(QStringLiteral("txtDownload"));
        labelField(caption, folder);
        advanced->layout()->addWidget(caption);
        advanced->layout()->addWidget(folder);
    }
    for (QGroupBox *section : order)
        layout->addWidget(section);

    auto *noteRow = new QHBoxLayout;
    noteRow->addWidget(new QLabel(QStringLiteral("Note:"), this));
    m_note = new QLabel(system ? QStringLiteral(" ") + QString::fromLatin1(kRestartNote)
                               : QString::fromLatin1(kRestartNote).chopped(1),
        this);
    m_note->setObjectName(system ? QStringLiteral("Label1") : QStringLiteral("Label4"));
    noteRow->addWidget(m_note, 1);
    layout->addLayout(noteRow);

    auto *buttons = new QHBoxLayout;
    auto *apply = new QPushButton(QStringLiteral("Apply"), this);
    apply->setObjectName(QStringLiteral("Command2"));
    apply->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(apply, &QPushButton::clicked, this, &RestrictionsWindow::Command2_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

RestrictionsWindow::~RestrictionsWindow() = default;

void RestrictionsWindow::activate()
{
    for (size_t i = 0; i < m_restrictions.size(); ++i) {
        if (restrictionOn(m_context.registry(), m_restrictions[i]))
            m_boxes.at(qsizetype(i))->setChecked(true);
    }
}

void RestrictionsWindow::Command2_Click()
{
    QList<bool> ticked;
    for (QCheckBox *box : std::as_const(m_boxes))
        ticked << box->isChecked();

    m_note->setText(QStringLiteral("Please wait while Vorlane changes your system settings"));
    m_note->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList failed
        = applyRestrictions(m_context.registry(), m_context.system(), m_restrictions, ticked);
    QApplication::restoreOverrideCursor();
    m_note->setText(QString::fromLatin1(kRestartNote));

    if (failed.isEmpty())
        m_context.prompter().inform(QStringLiteral("Changes have sucessfully been made to your computer"),
            MessageIcon::Information, QStringLiteral("Vorlane Information Wizard"));
    else
        m_context.prompter().inform(
            QStringLiteral("These settings could not be changed:\n") + failed.join(u'\n'),
            MessageIcon::Exclamation, QStringLiteral("Vorlane Information Wizard"));
}

} // namespace vorlane
