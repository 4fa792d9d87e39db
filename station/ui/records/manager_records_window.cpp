#include "records/manager_records_window.h"

#include "db/values.h"
#include "platform/attempt.h"
#include "records/key_filter.h"
#include "records/record_form.h"
#include "records/record_texts.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorlane {

namespace {

Q_LOGGING_CATEGORY(lcManagerWindow, "vorlane.records.managers.window")

using records::Mode;

const record_form::FieldLayout kFields[ManagerRecordsWindow::FieldCount] = {
    { "&Login", "txtlog", 20 },
    { "&Password", "txtpas", 8 },
    { "Confirm Pass&word", "txtcpas", 8 },
    { "&Registered On", "txtdate", 0 },
    { "&Name", "txtname", 30 },
    { "Addr&ess", "txtpadd", 50 },
    { "P&hone #", "txtphone", 12 },
    { "E-M&ail", "txtmail", 0 },
    { "Additional In&formation", "txtmemo", 200 },
};

const char *const kProcessCaptions[]
    = { "Add New Manager", "Delete Existing Manager", "Edit Existing Manager", "Save", "Cancel" };
const char *const kScrollCaptions[] = { "First Record", "Previous Record", "Next Record", "Last Record" };

} // namespace

ManagerRecordsWindow::ManagerRecordsWindow(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_records(context.connection())
{
    setObjectName(QStringLiteral("frmcrtmgr2"));
    setWindowTitle(QStringLiteral("Vorlane - Manager Management Module"));

    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildTab(0), QStringLiteral("Scroll Records"));
    m_tabs->addTab(buildTab(1), QStringLiteral("Process Records"));
    layout->addWidget(m_tabs);
    m_close = record_form::button(QStringLiteral("Close"), QStringLiteral("cmdclose"), this);
    layout->addWidget(m_close, 0, Qt::AlignRight);

    connect(m_tabs, &QTabWidget::currentChanged, this, &ManagerRecordsWindow::SSTab1_Click);
    connect(m_close, &QPushButton::clicked, this, &ManagerRecordsWindow::cmdclose_Click);

    showConfirm(false);
    enbdisctrl(true);
    enbdistxt(true);
}

ManagerRecordsWindow::~ManagerRecordsWindow() = default;

QWidget *ManagerRecordsWindow::buildTab(int element)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    for (int field = 0; field < FieldCount; ++field) {
        const record_form::FieldLayout &box = kFields[field];
        QLabel *label = nullptr;
        QLineEdit *edit = record_form::addField(grid, field, QString::fromLatin1(box.label),
            record_form::elementName(box.name, element), element ? box.maxLength : 0, &label);
        m_boxes[size_t(element)][size_t(field)] = edit;
        if (element == 0) {
            edit->setReadOnly(true);
            if (field == Confirm) {
                label->hide();
                edit->hide();
            }
        } else if (field == Confirm) {
            m_confirmLabel = label;
            label->setObjectName(QStringLiteral("lblcpas"));
        }
    }
    QLineEdit **boxes = m_boxes[size_t(element)].data();
    record_form::makePassword(boxes[Password]);
    record_form::makePassword(boxes[Confirm]);
    auto *buttons = new QHBoxLayout;
    if (element == 0) {
        for (QLineEdit *password : { boxes[Password], boxes[Confirm] })
            password->setMaxLength(32767);
        record_form::addButtons(
            buttons, page, kScrollCaptions, "cmdscroll", 4, [this](int i) { cmdscroll_Click(i); },
            m_scroll.data());
    } else {
        KeyFilter::install(boxes[Login], KeyFilter::login());
        KeyFilter::install(boxes[Password], KeyFilter::password());
        for (Field plain : { Confirm, Registered, Name, Address, Phone, Email, Memo })
            KeyFilter::install(boxes[plain], KeyFilter::plain());
        // A new password must be confirmed again.
        connect(boxes[Password], &QLineEdit::textEdited, this, [this] {
            if (mode() == Mode::Browsing)
                return;
            m_boxes[1][Confirm]->clear();
            showConfirm(true);
        });
        record_form::addButtons(
            buttons, page, kProcessCaptions, "cmdprocess", 5, [this](int i) { cmdprocess_Click(i); },
            m_process.data());
    }
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

bool ManagerRecordsWindow::load()
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

void ManagerRecordsWindow::showdata()
{
    if (!m_records.table().hasCurrent())
        return;
    const records::ManagerView view = m_records.current();
    const QString values[FieldCount] = { view.login, view.password, view.password, view.registered, view.name,
        view.address, view.phone, view.email, view.memo };
    for (int field = 0; field < FieldCount; ++field)
        m_boxes[0][size_t(field)]->setText(values[field]);
}

void ManagerRecordsWindow::ClearCtrls()
{
    for (Field field : { Login, Password, Name, Address, Email, Phone, Memo })
        m_boxes[1][field]->clear();
    m_boxes[1][Registered]->setText(db::formatShortDate(m_context.clock().today()));
}

void ManagerRecordsWindow::enbdisctrl(bool flag)
{
    record_form::enableProcess(m_process, m_close, flag);
}

void ManagerRecordsWindow::enbdistxt(bool stat)
{
    for (Field field : { Login, Password, Name, Address, Email, Phone, Memo })
        m_boxes[1][field]->setReadOnly(stat);
}

void ManagerRecordsWindow::showConfirm(bool visible)
{
    m_confirmLabel->setVisible(visible);
    m_boxes[1][Confirm]->setVisible(visible);
}

records::ManagerEntry ManagerRecordsWindow::entry() const
{
    const auto &boxes = m_boxes[1];
    records::ManagerEntry typed;
    typed.login = boxes[Login]->text();
    typed.password = boxes[Password]->text();
    typed.confirm = boxes[Confirm]->text();
    typed.registered = boxes[Registered]->text();
    typed.name = boxes[Name]->text();
    typed.address = boxes[Address]->text();
    typed.phone = boxes[Phone]->text();
    typed.email = boxes[Email]->text();
    typed.memo = boxes[Memo]->text();
    return typed;
}

void ManagerRecordsWindow::cmdprocess_Click(int index)
{
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
                ClearCtrls();
                backToBrowsing();
                break;
            default:
                break;
            }
        }))
        qCWarning(lcManagerWindow) << "manager records button" << index << "failed";
}

void ManagerRecordsWindow::insert()
{
    m_records.table().setMode(Mode::Adding);
    enbdistxt(false);
    ClearCtrls();
    enbdisctrl(false);
    m_boxes[1][Login]->setFocus();
}

void ManagerRecordsWindow::edit()
{
    const records::Outcome found = m_records.beginEdit(m_boxes[1][Login]->text());
    if (!found.ok()) {
        record_form::show(m_context.prompter(), found);
        return;
    }
    enbdistxt(false);
    enbdisctrl(false);
    m_boxes[1][Login]->setFocus();
}

void ManagerRecordsWindow::save()
{
    records::Outcome outcome;
    if (mode() == Mode::Adding)
        outcome = m_records.insert(entry());
    else if (mode() == Mode::Editing)
        outcome = m_records.saveEdit(entry());
    else
        return;
    if (!outcome.ok()) {
        record_form::show(m_context.prompter(), outcome);
        const Field focus = outcome.focus == QLatin1String("password") ? Password
            : outcome.focus == QLatin1String("confirm")                ? Confirm
                                                                       : Login;
        m_boxes[1][focus]->setFocus();
        return;
    }
    ClearCtrls();
    backToBrowsing();
}

void ManagerRecordsWindow::backToBrowsing()
{
    m_records.table().setMode(Mode::Browsing);
    enbdistxt(true);
    enbdisctrl(true);
    showConfirm(false);
}

void ManagerRecordsWindow::remove()
{
    const records::Outcome found = m_records.beginDelete(m_boxes[1][Login]->text());
    if (!found.ok()) {
        record_form::show(m_context.prompter(), found);
        return;
    }
    if (m_context.prompter().message(QString::fromLatin1(records::kDeleteQuestion), MessageButtons::YesNo,
            MessageIcon::Question, QStringLiteral("Delete"))
        != MessageAnswer::Yes)
        return;
    const records::Outcome deleted = m_records.deleteCurrent();
    record_form::show(m_context.prompter(), deleted);
    if (deleted.ok()) {
        enbdistxt(true);
        ClearCtrls();
    }
}

void ManagerRecordsWindow::cmdscroll_Click(int index)
{
    records::RecordTable &table = m_records.table();
    if (table.isEmpty())
        return;
    if (!attempt([&] {
            record_form::applyNavigation(m_scroll, table.move(static_cast<records::Move>(index)));
            showdata();
        }))
        qCWarning(lcManagerWindow) << "moving through the managers failed";
}

void ManagerRecordsWindow::SSTab1_Click(int tab)
{
    if (tab == 0) {
        if (record_form::refuseWhileChanging(
                m_context.prompter(), m_records.table(), QString::fromLatin1(records::kAlertTitle))) {
            const QSignalBlocker quiet(m_tabs);
            m_tabs->setCurrentIndex(1);
            return;
        }
        if (!attempt([&] { showdata(); }))
            qCWarning(lcManagerWindow) << "the manager could not be shown";
    } else if (mode() != Mode::Adding) {
        for (int field = 0; field < FieldCount; ++field)
            m_boxes[1][size_t(field)]->setText(m_boxes[0][size_t(field)]->text());
    }
}

void ManagerRecordsWindow::cmdclose_Click()
{
    close();
}

void ManagerRecordsWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (record_form::refuseWhileChanging(
            m_context.prompter(), m_records.table(), QString::fromLatin1(records::kAlertTitle))) {
        event->ignore();
        return;
    }
    event->accept();
    m_closed = true;
    m_records.close();
    attempt([&] { m_context.navigator().showControlPanel(); });
}

} // namespace vorlane
