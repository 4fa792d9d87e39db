#include "records/member_records_window.h"

#include "db/values.h"
#include "platform/attempt.h"
#include "records/key_filter.h"
#include "records/record_form.h"
#include "records/record_texts.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcMemberWindow, "vorlane.records.members.window")

using records::Mode;

// In the order of MemberRecordsWindow::Field.
const record_form::FieldLayout kFields[MemberRecordsWindow::FieldCount] = {
    { "&Login", "txtlog", 20 },
    { "&Password", "txtpas", 8 },
    { "Confirm Pass&word", "txtcpas", 8 },
    { "&Registred On", "txtcrtdt", 0 },
    { "E&xpires On", "txtexpdt", 0 },
    { "&Duration (Hrs.)", "txtdur", 6 },
    { "A&mount (Rs.)", "txtamnt", 6 },
    { "Pa&id (Rs.)", "txtpd", 6 },
    { "&Name", "txtname", 30 },
    { "Addr&ess", "txtpadd", 50 },
    { "P&hone #", "txtphone", 12 },
    { "E-M&ail", "txtmail", 50 },
    { "Additional In&formation", "txtmemo", 200 },
};

const char *const kProcessCaptions[]
    = { "Add New Member", "Delete This Member", "Edit This Member", "Save This Member", "Cancel" };
const char *const kScrollCaptions[] = { "First", "Previous", "Next", "Last" };

} // namespace

MemberRecordsWindow::MemberRecordsWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_records(context.connection())
{
    setObjectName(QStringLiteral("frmcrtclt2"));
    setWindowTitle(QStringLiteral("Vorlane - Member Management Module"));

    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildViewTab(), QStringLiteral("View Members"));
    m_tabs->addTab(buildUpdateTab(), QStringLiteral("Update Members"));
    layout->addWidget(m_tabs);
    m_close = record_form::button(QStringLiteral("Close Module"), QStringLiteral("cmdclose"), this);
    layout->addWidget(m_close, 0, Qt::AlignRight);

    connect(m_tabs, &QTabWidget::currentChanged, this, &MemberRecordsWindow::SSTab1_Click);
    connect(m_close, &QPushButton::clicked, this, &MemberRecordsWindow::cmdclose_Click);

    showConfirm(false);
    enbdisctrl(true);
    enbdistxt(true);
}

MemberRecordsWindow::~MemberRecordsWindow() = default;

QWidget *MemberRecordsWindow::buildViewTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    for (int field = 0; field < FieldCount; ++field) {
        const record_form::FieldLayout &box = kFields[field];
        QLabel *label = nullptr;
        QLineEdit *edit = record_form::addField(
            grid, row++, QString::fromLatin1(box.label), record_form::elementName(box.name, 0), 0, &label);
        edit->setReadOnly(true);
        m_boxes[0][field] = edit;
        // The browsing tab keeps the confirmation only as the copy the update tab takes.
        if (field == Confirm) {
            label->hide();
            edit->hide();
        }
    }
    record_form::makePassword(m_boxes[0][Password]);
    record_form::makePassword(m_boxes[0][Confirm]);
    for (QLineEdit *password : { m_boxes[0][Password], m_boxes[0][Confirm] })
        password->setMaxLength(32767);

    auto *buttons = new QHBoxLayout;
    record_form::addButtons(
        buttons, page, kScrollCaptions, "cmdscroll", 4, [this](int i) { cmdscroll_Click(i); },
        m_scroll.data());
    buttons->addStretch();
    m_search = record_form::button(QStringLiteral("Select Member"), QStringLiteral("cmdsm"), page);
    buttons->addWidget(m_search);
    layout->addLayout(buttons);
    connect(m_search, &QPushButton::clicked, this, &MemberRecordsWindow::cmdsm_Click);

    m_searchFrame = new QGroupBox(QStringLiteral("Select Member"), page);
    m_searchFrame->setObjectName(QStringLiteral("Frame1"));
    auto *frame = new QHBoxLayout(m_searchFrame);
    m_combo = new QComboBox(m_searchFrame);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->setAccessibleName(QStringLiteral("Select Member"));
    frame->addWidget(m_combo);
    m_searchFrame->hide();
    layout->addWidget(m_searchFrame);
    layout->addStretch();
    connect(m_combo, &QComboBox::activated, this, &MemberRecordsWindow::Combo1_Click);
    m_combo->installEventFilter(this);
    return page;
}

QWidget *MemberRecordsWindow::buildUpdateTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    for (int field = 0; field < FieldCount; ++field) {
        const record_form::FieldLayout &box = kFields[field];
        QLabel *label = nullptr;
        m_boxes[1][field] = record_form::addField(grid, row++, QString::fromLatin1(box.label),
            record_form::elementName(box.name, 1), box.maxLength, &label);
        if (field == Confirm) {
            m_confirmLabel = label;
            label->setObjectName(QStringLiteral("lblcpas_1"));
        }
    }
    QLineEdit **boxes = m_boxes[1].data();
    record_form::makePassword(boxes[Password]);
    record_form::makePassword(boxes[Confirm]);

    auto *loginHint = new QLabel(QStringLiteral("Max Length : 20 chars"), page);
    grid->addWidget(loginHint, Login, 2);
    m_passwordHint = new QLabel(QStringLiteral("Max Length : 8 chars"), page);
    m_passwordHint->setObjectName(QStringLiteral("lbllog_4"));
    grid->addWidget(m_passwordHint, Password, 2);

    // The expiry is picked; its text box follows the picker.
    m_expiry = new QDateEdit(page);
    m_expiry->setObjectName(QStringLiteral("txtedt"));
    m_expiry->setCalendarPopup(true);
    m_expiry->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    m_expiry->setAccessibleName(QStringLiteral("Expiry date"));
    boxes[Expires]->setReadOnly(true);
    grid->addWidget(m_expiry, Expires, 2);
    connect(m_expiry, &QDateEdit::dateChanged, this,
        [this](QDate day) { m_boxes[1][Expires]->setText(db::formatShortDate(day)); });

    auto *duration = new QHBoxLayout;
    m_hours = new QSpinBox(page);
    m_hours->setObjectName(QStringLiteral("UpDown1"));
    m_hours->setRange(0, 10000);
    m_hours->setAccessibleName(QStringLiteral("Hours"));
    m_minutes = new QSpinBox(page);
    m_minutes->setObjectName(QStringLiteral("UpDown2"));
    m_minutes->setRange(0, 59);
    m_minutes->setAccessibleName(QStringLiteral("Minutes"));
    if (auto *hoursBox = m_hours->findChild<QLineEdit *>())
        hoursBox->setObjectName(QStringLiteral("txthrs"));
    if (auto *minutesBox = m_minutes->findChild<QLineEdit *>())
        minutesBox->setObjectName(QStringLiteral("txtmin"));
    auto *hoursLabel = new QLabel(QStringLiteral("H&ours"), page);
    hoursLabel->setBuddy(m_hours);
    auto *minutesLabel = new QLabel(QStringLiteral("Mi&nutes"), page);
    minutesLabel->setBuddy(m_minutes);
    duration->addWidget(hoursLabel);
    duration->addWidget(m_hours);
    duration->addWidget(minutesLabel);
    duration->addWidget(m_minutes);
    grid->addLayout(duration, Duration, 2);
    connect(m_hours, &QSpinBox::valueChanged, this, [this] {
        // A new number of hours starts its minutes again from 0.
        const QSignalBlocker quiet(m_minutes);
        m_minutes->setValue(0);
        updateDuration();
    });
    connect(m_minutes, &QSpinBox::valueChanged, this, &MemberRecordsWindow::updateDuration);
    boxes[Duration]->setText(QString::number(m_hours->value()) + u'.' + QString::number(m_minutes->value()));

    KeyFilter::install(boxes[Login], KeyFilter::login());
    KeyFilter::install(boxes[Password], KeyFilter::password());
    KeyFilter::install(boxes[Amount], KeyFilter::digits());
    KeyFilter::install(boxes[Paid], KeyFilter::digits());
    KeyFilter::install(boxes[Duration], { true, QStringLiteral("0123456789."), false, false });
    for (Field plain : { Confirm, Expires, Registered, Name, Address, Phone, Memo })
        KeyFilter::install(boxes[plain], KeyFilter::plain());
    for (Field watched : { Login, Amount, Paid })
        boxes[watched]->installEventFilter(this);

    connect(boxes[Password], &QLineEdit::textChanged, this, [this] {
        if (mode() != Mode::Browsing)
            showConfirm(true);
    });

    auto *buttons = new QHBoxLayout;
    record_form::addButtons(
        buttons, page, kProcessCaptions, "cmdprocess", 5, [this](int i) { cmdprocess_Click(i); },
        m_process.data());
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

bool MemberRecordsWindow::load()
{
    try {
        m_records.open();
    } catch (const db::Error &error) {
        m_context.prompter().inform(
            error.description(), MessageIcon::Critical, QString::fromLatin1(records::kErrorTitle));
        return false;
    }
    showdata();
    return true;
}

void MemberRecordsWindow::activate()
{
    const QString today = db::formatShortDate(m_context.clock().today());
    m_boxes[1][Registered]->setText(today);
    m_boxes[1][Expires]->setText(today);
    // A member without an expiry (the guest) shows today in the picker rather than its empty date.
    m_expiry->setDate(m_context.clock().today());
}

void MemberRecordsWindow::showdata()
{
    if (m_records.table().isEmpty() || !m_records.table().hasCurrent())
        return;
    const records::MemberView view = m_records.current();
    const QString values[FieldCount]
        = { view.login, view.password, view.password, view.registered, view.expires, view.duration,
              view.amount, view.paid, view.name, view.address, view.phone, view.email, view.memo };
    for (int field = 0; field < FieldCount; ++field)
        m_boxes[0][field]->setText(values[field]);
}

void MemberRecordsWindow::ClearCtrls()
{
    for (Field field : { Login, Password, Confirm, Name, Address, Email, Phone, Memo })
        m_boxes[1][field]->clear();
    m_hours->setValue(0);
    m_minutes->setValue(0);
    m_boxes[1][Amount]->setText(QStringLiteral("0"));
    m_boxes[1][Paid]->setText(QStringLiteral("0"));
    const QDate today = m_context.clock().today();
    m_boxes[1][Registered]->setText(db::formatDate(today));
    m_expiry->setDate(today);
}

void MemberRecordsWindow::enbdisctrl(bool flag)
{
    record_form::enableProcess(m_process, m_close, flag);
}

void MemberRecordsWindow::enbdistxt(bool disable)
{
    if (mode() != Mode::Editing)
        m_boxes[1][Login]->setEnabled(!disable);
    for (Field field : { Password, Name, Address, Phone, Email, Amount, Memo, Paid })
        m_boxes[1][field]->setEnabled(!disable);
    for (QWidget *control : std::initializer_list<QWidget *> { m_expiry, m_hours, m_minutes })
        control->setEnabled(!disable);
}

void MemberRecordsWindow::showConfirm(bool visible)
{
    m_confirmLabel->setVisible(visible);
    m_boxes[1][Confirm]->setVisible(visible);
    m_passwordHint->setVisible(visible);
}

void MemberRecordsWindow::updateDuration()
{
    m_boxes[1][Duration]->setText(records::MemberRecords::durationText(m_hours->value(), m_minutes->value()));
}

void MemberRecordsWindow::copyToUpdateTab()
{
    for (Field field :
        { Login, Password, Confirm, Registered, Name, Address, Phone, Email, Duration, Amount, Paid })
        m_boxes[1][field]->setText(m_boxes[0][field]->text());
    const QDate expiry = db::parseDate(m_boxes[0][Expires]->text());
    if (expiry.isValid())
        m_expiry->setDate(expiry);
    const records::DurationSplit split = records::MemberRecords::splitDuration(m_boxes[0][Duration]->text());
    // The hours first: a change of the hours puts the minutes back to 0.
    if (split.hours)
        m_hours->setValue(*split.hours);
    if (split.minutes)
        m_minutes->setValue(*split.minutes);
    // The stored text stays what is saved until a spinner is moved.
    m_boxes[1][Duration]->setText(m_boxes[0][Duration]->text());
}

records::MemberEntry MemberRecordsWindow::entry() const
{
    const auto &boxes = m_boxes[1];
    records::MemberEntry typed;
    typed.login = boxes[Login]->text();
    typed.password = boxes[Password]->text();
    typed.confirm = boxes[Confirm]->text();
    typed.registered = boxes[Registered]->text();
    typed.expiryText = boxes[Expires]->text();
    typed.expiry = m_expiry->date();
    typed.duration = boxes[Duration]->text();
    typed.amount = boxes[Amount]->text();
    typed.paid = boxes[Paid]->text();
    typed.name = boxes[Name]->text();
    typed.address = boxes[Address]->text();
    typed.phone = boxes[Phone]->text();
    typed.email = boxes[Email]->text();
    typed.memo = boxes[Memo]->text();
    return typed;
}

void MemberRecordsWindow::focusOn(const QString &which)
{
    Field field = Login;
    if (which == QLatin1String("password"))
        field = Password;
    else if (which == QLatin1String("confirm"))
        field = Confirm;
    else if (which != QLatin1String("login"))
        return;
    m_tabs->setCurrentIndex(1);
    m_boxes[1][field]->setFocus();
}

void MemberRecordsWindow::cmdprocess_Click(int index)
{
    // Nothing a handler meets may end the station program.
    if (!attempt([&] {
            switch (index) {
            case Insert:
                insert();
                break;
            case Delete:
                remove();
                break;
            case Edit:
                edit();
                break;
            case Save:
                save();
                break;
            case Cancel:
                cancel();
                break;
            default:
                break;
            }
        }))
        qCWarning(lcMemberWindow) << "member records button" << index << "failed";
}

void MemberRecordsWindow::insert()
{
    m_records.table().setMode(Mode::Adding);
    enbdistxt(false);
    enbdisctrl(false);
    ClearCtrls();
    m_boxes[1][Login]->setFocus();
}

void MemberRecordsWindow::edit()
{
    const records::Outcome found = m_records.beginEdit(m_boxes[1][Login]->text());
    if (!found.ok()) {
        record_form::show(m_context.prompter(), found);
        return;
    }
    enbdistxt(false);
    enbdisctrl(false);
    m_boxes[1][Password]->setFocus();
}

void MemberRecordsWindow::save()
{
    records::Outcome outcome;
    if (mode() == Mode::Adding)
        outcome = m_records.insert(entry());
    else if (mode() == Mode::Editing)
        outcome = m_records.saveEdit(entry());
    else
        return;
    if (!outcome.ok()) {
        // The mode and everything typed stay, so the operator can correct or cancel.
        record_form::show(m_context.prompter(), outcome);
        focusOn(outcome.focus);
        return;
    }
    enbdisctrl(true);
    showConfirm(false);
    ClearCtrls();
    enbdistxt(true);
}

void MemberRecordsWindow::remove()
{
    const QString login = m_boxes[1][Login]->text();
    const records::Outcome found = m_records.beginDelete(login);
    if (!found.ok()) {
        record_form::show(m_context.prompter(), found);
        return;
    }
    if (m_context.prompter().message(QString::fromLatin1(records::kDeleteQuestion), MessageButtons::YesNo,
            MessageIcon::Question, QStringLiteral("Vorlane Module Query"))
        != MessageAnswer::Yes)
        return;
    const records::Outcome deleted = m_records.deleteCurrent(login);
    if (!deleted.ok()) {
        record_form::show(m_context.prompter(), deleted);
        return;
    }
    enbdistxt(true);
    ClearCtrls();
}

void MemberRecordsWindow::cancel()
{
    m_records.table().setMode(Mode::Browsing);
    ClearCtrls();
    enbdistxt(true);
    enbdisctrl(true);
    showConfirm(false);
}

void MemberRecordsWindow::cmdscroll_Click(int index)
{
    records::RecordTable &table = m_records.table();
    if (table.isEmpty())
        return;
    if (!attempt([&] {
            record_form::applyNavigation(m_scroll, table.move(static_cast<records::Move>(index)));
            showdata();
        }))
        qCWarning(lcMemberWindow) << "moving through the members failed";
}

void MemberRecordsWindow::cmdsm_Click()
{
    m_combo->clear();
    QStringList entries;
    if (!attempt([&] { entries = m_records.searchEntries(); }))
        qCWarning(lcMemberWindow) << "the member list could not be read";
    m_combo->addItems(entries);
    if (!entries.isEmpty())
        m_combo->setCurrentIndex(0);
    m_searchFrame->show();
    m_combo->setFocus();
}

void MemberRecordsWindow::Combo1_Click(int index)
{
    m_searchFrame->hide();
    const QString chosen = m_combo->itemText(index);
    bool found = false;
    if (!attempt([&] { found = m_records.selectSearchEntry(chosen); }))
        qCWarning(lcMemberWindow) << "the chosen member could not be found";
    if (found)
        showdata();
}

void MemberRecordsWindow::SSTab1_Click(int tab)
{
    if (tab == 0) {
        if (record_form::refuseWhileChanging(
                m_context.prompter(), m_records.table(), QStringLiteral("Vorlane Alert"))) {
            const QSignalBlocker quiet(m_tabs);
            m_tabs->setCurrentIndex(1);
            return;
        }
        if (!attempt([&] { showdata(); }))
            qCWarning(lcMemberWindow) << "the member could not be shown";
    } else if (mode() != Mode::Adding) {
        copyToUpdateTab();
    }
}

bool MemberRecordsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_combo) {
        if (event->type() == QEvent::FocusOut
            && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            m_searchFrame->hide();
        return false;
    }
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return false;
    if (edit == m_boxes[1][Login] && event->type() == QEvent::FocusOut) {
        if (edit->text().trimmed() == QLatin1String(records::kGuestLogin)) {
            edit->clear();
            QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
        }
    } else if (edit == m_boxes[1][Amount] || edit == m_boxes[1][Paid]) {
        // Entering selects the amount instead of emptying it: a box tabbed
        // through during an edit keeps the stored money.
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        else if (event->type() == QEvent::FocusOut && edit->text().isEmpty())
            edit->setText(QStringLiteral("0"));
    }
    return false;
}

void MemberRecordsWindow::cmdclose_Click()
{
    close();
}

void MemberRecordsWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (record_form::refuseWhileChanging(
            m_context.prompter(), m_records.table(), QStringLiteral("Vorlane Module Aler"))) {
        event->ignore();
        return;
    }
    event->accept();
    m_closed = true;
    m_records.close();
    const QString kind = m_context.state().signInKind;
    if (kind == QLatin1String(kKindAdministrator) || kind == QLatin1String(kKindManager))
        attempt([&] { m_context.navigator().showControlPanel(); });
}

} // namespace vorlane
