#include "console/custom_report.h"

#include "db/values.h"
#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace vorlane {

namespace {

QLabel *label(const char *name, const char *text, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QDateEdit *picker(const char *name, const QDate &today, QWidget *parent)
{
    auto *edit = new QDateEdit(today, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("MM/dd/yy"));
    return edit;
}

// Colour components above 255 are capped, as the old colour function did with 500.
QColor cappedColour(int red, int green, int blue)
{
    return QColor(std::min(red, 255), std::min(green, 255), std::min(blue, 255));
}

} // namespace

CustomReport::CustomReport(StationContext &context, const QString &reportKind, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_kind(reportKind)
{
    setObjectName(QStringLiteral("frmgstcst"));
    centreWhenShown(this);
    setWindowTitle(QStringLiteral("Custom Report"));

    const QDate today = m_context.clock().today();
    auto *grid = new QGridLayout(this);
    grid->addWidget(label("Label1", "Generate Report :", this), 0, 0, 1, 3);
    QLabel *fromLabel = label("Label2", "From Date:", this);
    m_fromPicker = picker("fromdt", today, this);
    labelField(fromLabel, m_fromPicker);
    grid->addWidget(fromLabel, 1, 0);
    grid->addWidget(m_fromPicker, 1, 1);
    grid->addWidget(label("Label4", "mm/dd/yy", this), 1, 2);
    QLabel *tillLabel = label("Label3", "Till Date:", this);
    m_tillPicker = picker("tilldt", today, this);
    labelField(tillLabel, m_tillPicker);
    grid->addWidget(tillLabel, 2, 0);
    grid->addWidget(m_tillPicker, 2, 1);
    grid->addWidget(label("Label4", "mm/dd/yy", this), 2, 2);

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);

    setTabOrder(m_fromPicker, m_tillPicker);
    setTabOrder(m_tillPicker, ok);
    setTabOrder(ok, cancel);
    connect(ok, &QPushButton::clicked, this, &CustomReport::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &CustomReport::Command2_Click);
}

void CustomReport::activate()
{
    m_requested = false;
    // The calendar's background white, its title bar and chosen day in the system's blue.
    for (QDateEdit *edit : { m_fromPicker, m_tillPicker }) {
        QCalendarWidget *calendar = edit->calendarWidget();
        QPalette palette = calendar->palette();
        palette.setColor(QPalette::Base, cappedColour(500, 500, 500));
        palette.setColor(QPalette::Highlight, QColor(100, 150, 200));
        calendar->setPalette(palette);
    }
}

void CustomReport::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activate();
}

void CustomReport::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    activate();
}

void CustomReport::Command1_Click()
{
    m_from = db::shortDateText(m_fromPicker->date());
    m_till = db::shortDateText(m_tillPicker->date());
    // Only a kind with a report counts as requested; any other would leave the
    // control panel hidden with nothing to bring it back.
    if (m_kind == QLatin1String("guest")) {
        m_requested = true;
        Q_EMIT reportRequested(m_from, m_till);
    }
    close();
}

void CustomReport::Command2_Click()
{
    close();
}

void CustomReport::reject()
{
    // Escape closes like Cancel, through the close event.
    close();
}

void CustomReport::closeEvent(QCloseEvent *event)
{
    // QDialog's own close event goes through reject(), which closes here again.
    event->accept();
    if (!m_requested)
        Q_EMIT closedWithoutReport();
    m_requested = true; // a second close event does not hand the control panel back twice
}

} // namespace vorlane
