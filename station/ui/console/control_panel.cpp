#include "console/control_panel.h"

#include "config/advertisement_editor.h"
#include "config/program_editor.h"
#include "config/restrictions_window.h"
#include "config/station_text.h"
#include "console/about_box.h"
#include "console/charges.h"
#include "console/remote_command.h"
#include "console/report_launcher.h"
#include "db/values.h"
#include "records/manager_records_window.h"
#include "records/member_records_window.h"
#include "records/password_window.h"
#include "records/rates_editor.h"
#include "startup/station_context.h"
#include "startup/station_navigator.h"
#include "widgets/accessible_form.h"
#include "widgets/text_button.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace vorlane {

namespace {

constexpr const char *kTitle = "Vorlane Information";
constexpr const char *kErrorTitle = "Vorlane Error Information";

const char *const kHeaders[ControlPanel::ColumnCount]
    = { "S. No.", "Computer ", "User", "Date", "Login Time", "Total Time", "Rate Type", "Status", "Surfing ",
          "Printing", "Snacks", "Cold Drinks", "Accessories", "Others", "Total Amount" };

QAction *addItem(QMenu *menu, const char *name, const char *caption, const char *shortcut = nullptr)
{
    QAction *action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return action;
}

} // namespace

ControlPanel::ControlPanel(StationContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_console(context)
{
    setObjectName(QStringLiteral("frmadmnctr"));
    setWindowTitle(QStringLiteral("Vorlane Control Panel"));
    // A remote shutdown under staff closes the panel first (and with it the program).
    connect(&m_context.session(), &StationSession::staffCloseRequested, this, &ControlPanel::mnuClose_Click);

    auto *central = new QWidget(this);
    auto *layout = new QGridLayout(central);

    auto *stations = new QGroupBox(QStringLiteral("User Status"), central);
    stations->setObjectName(QStringLiteral("Frame1"));
    auto *stationsLayout = new QVBoxLayout(stations);
    m_list = new QTreeWidget(stations);
    m_list->setObjectName(QStringLiteral("lv"));
    m_list->setAccessibleName(stations->title());
    m_list->setColumnCount(ColumnCount);
    QStringList headers;
    for (const char *header : kHeaders)
        headers << QString::fromLatin1(header);
    m_list->setHeaderLabels(headers);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setUniformRowHeights(true);
    // Widths follow the headers once; measuring every cell on each refresh costs
    // more than the refresh itself in a large room.
    for (int column = 0; column < ColumnCount; ++column)
        m_list->setColumnWidth(column, m_list->fontMetrics().horizontalAdvance(headers.at(column)) + 24);
    stationsLayout->addWidget(m_list);
    auto *refreshButton = new QPushButton(QStringLiteral("Refresh"), stations);
    refreshButton->setObjectName(QStringLiteral("Command1"));
    stationsLayout->addWidget(refreshButton, 0, Qt::AlignRight);
    layout->addWidget(stations, 0, 0, 1, 3);

    m_summaryFrame = new QGroupBox(central);
    m_summaryFrame->setObjectName(QStringLiteral("Frame2"));
    auto *summary = new QGridLayout(m_summaryFrame);
    auto *guestsLabel = new QLabel(QStringLiteral("Total Guest(s) visited today :"), m_summaryFrame);
    guestsLabel->setObjectName(QStringLiteral("Label1"));
    auto *cashLabel = new QLabel(QStringLiteral("Total cash generated today (guests) :"), m_summaryFrame);
    cashLabel->setObjectName(QStringLiteral("Label2"));
    m_guestCount = new QLabel(m_summaryFrame);
    m_guestCount->setObjectName(QStringLiteral("Label3"));
    m_guestCash = new QLabel(m_summaryFrame);
    m_guestCash->setObjectName(QStringLiteral("Label4"));
    summary->addWidget(guestsLabel, 0, 0);
    summary->addWidget(m_guestCount, 0, 1);
    summary->addWidget(cashLabel, 1, 0);
    summary->addWidget(m_guestCash, 1, 1);
    layout->addWidget(m_summaryFrame, 1, 0);

    m_remoteFrame = new QGroupBox(QStringLiteral("Remote Control"), central);
    m_remoteFrame->setObjectName(QStringLiteral("Frame3"));
    auto *remote = new QGridLayout(m_remoteFrame);
    m_commands = new QListWidget(m_remoteFrame);
    m_commands->setObjectName(QStringLiteral("List1"));
    m_commands->setAccessibleName(m_remoteFrame->title());
    m_commands->addItems(
        { QStringLiteral("Send Message"), QStringLiteral("Login Guest"), QStringLiteral("Shutdown") });
    remote->addWidget(m_commands, 0, 0, 1, 3);
    auto *messageLabel = new QLabel(QStringLiteral("Message: "), m_remoteFrame);
    messageLabel->setObjectName(QStringLiteral("Label5"));
    m_message = new QLineEdit(m_remoteFrame);
    m_message->setObjectName(QStringLiteral("txtMessage"));
    labelField(messageLabel, m_message);
    remote->addWidget(messageLabel, 1, 0);
    remote->addWidget(m_message, 1, 1, 1, 2);
    auto *apply = new QPushButton(QStringLiteral("Apply"), m_remoteFrame);
    apply->setObjectName(QStringLiteral("Command2"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), m_remoteFrame);
    cancel->setObjectName(QStringLiteral("Command3"));
    remote->addWidget(apply, 2, 1);
    remote->addWidget(cancel, 2, 2);
    layout->addWidget(m_remoteFrame, 1, 1);

    layout->addWidget(buildCharges(), 1, 2);

    auto *notesFrame = new QGroupBox(QStringLiteral("Notes"), central);
    notesFrame->setObjectName(QStringLiteral("Frame5"));
    auto *notes = new QVBoxLayout(notesFrame);
    m_notes = new QTextEdit(notesFrame);
    m_notes->setObjectName(QStringLiteral("txtNotes"));
    m_notes->setAccessibleName(notesFrame->title());
    m_notes->setAcceptRichText(false);
    notes->addWidget(m_notes);
    auto *saveNotes = new QPushButton(QStringLiteral("Save"), notesFrame);
    saveNotes->setObjectName(QStringLiteral("Command4"));
    notes->addWidget(saveNotes, 0, Qt::AlignRight);
    layout->addWidget(notesFrame, 2, 0, 1, 3);

    // The station list gets the room; the tools below keep their natural height.
    layout->setRowStretch(0, 3);
    layout->setRowStretch(2, 1);
    setCentralWidget(central);
    resize(1100, 720);
    buildMenus();
    buildStatusBar();

    m_sender = new RemoteCommandSender(&m_context.prompter(), this);

    connect(refreshButton, &QPushButton::clicked, this, &ControlPanel::Command1_Click);
    connect(apply, &QPushButton::clicked, this, &ControlPanel::Command2_Click);
    connect(cancel, &QPushButton::clicked, this, &ControlPanel::Command3_Click);
    connect(saveNotes, &QPushButton::clicked, this, &ControlPanel::Command4_Click);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { lv_ItemClick(item); });
    connect(m_commands, &QListWidget::itemClicked, this, &ControlPanel::List1_Click);
    // Enter chooses a row as a click does.
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { lv_ItemClick(item); });
    connect(m_commands, &QListWidget::itemActivated, this, &ControlPanel::List1_Click);
}

ControlPanel::~ControlPanel()
{
    // Sub-windows still open go with the control panel; they must not call it back.
    for (const QPointer<QWidget> &window : std::as_const(m_subWindows)) {
        if (window)
            disconnect(window, nullptr, this, nullptr);
    }
}

QWidget *ControlPanel::buildCharges()
{
    auto *box = new QWidget(centralWidget() ? centralWidget() : this);
    auto *grid = new QGridLayout(box);
    auto *heading = new QLabel(QStringLiteral("Charges:"), box);
    grid->addWidget(heading, 0, 0, 1, 2);
    const std::pair<const char *, QLineEdit **> boxes[] = { { "Surfing", &m_surfing },
        { "Printing", &m_printing }, { "Snacks", &m_snacks }, { "Cold Drinks", &m_cold },
        { "Accessories", &m_accessories }, { "Others", &m_others }, { "Total :", &m_total } };
    const char *const names[]
        = { "txtSurfing", "txtPrinting", "txtSnacks", "txtCold", "txtAcce", "txtOthers", "txtTotal" };
    int row = 1;
    for (const auto &[caption, edit] : boxes) {
        auto *label = new QLabel(QString::fromLatin1(caption), box);
        grid->addWidget(label, row, 0);
        *edit = new QLineEdit(box);
        (*edit)->setObjectName(QString::fromLatin1(names[row - 1]));
        labelField(label, *edit);
        grid->addWidget(*edit, row, 1);
        ++row;
    }
    auto *save = new QPushButton(QStringLiteral("Save"), box);
    save->setObjectName(QStringLiteral("cmdSave"));
    grid->addWidget(save, row, 1);
    connect(save, &QPushButton::clicked, this, &ControlPanel::cmdSave_Click);
    for (QLineEdit *edit : { m_surfing, m_printing, m_snacks, m_cold, m_accessories, m_others })
        connect(edit, &QLineEdit::textChanged, this, &ControlPanel::recalculateTotal);
    return box;
}

void ControlPanel::buildMenus()
{
    QMenu *transactions = menuBar()->addMenu(QStringLiteral("&Transactions"));
    m_managersAction = addItem(transactions, "mnuManagers", "Mana&ger Management", "Ctrl+N");
    QAction *member = addItem(transactions, "mnuMember", "Mem&ber Management", "Ctrl+B");
    transactions->addSeparator();
    QAction *password = addItem(transactions, "mnuPassword", "Modify &Password", "Ctrl+P");
    transactions->addSeparator();
    QAction *exitPanel = addItem(transactions, "mnuExit", "E&xit Control Panel", "Ctrl+X");
    QAction *closeVorlane = addItem(transactions, "mnuClose", "&Close Vorlane", "Ctrl+C");

    QMenu *preferences = menuBar()->addMenu(QStringLiteral("&Preferences"));
    m_ratesAction = addItem(preferences, "mnuRates", "Define Ra&tes", "Ctrl+T");

    QMenu *utilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    QAction *programs = addItem(utilities, "mnuPrograms", "Ti&mer Programs", "Ctrl+M");
    QAction *advertisement = addItem(utilities, "mnuAdvertisment", "Login &Advertisment");
    utilities->addSeparator();
    QAction *systemSecurity = addItem(utilities, "mnuSystem", "S&ystem Security", "Ctrl+Y");
    QAction *explorer = addItem(utilities, "mnuExplorer", "Exp&lorer Security", "Ctrl+L");
    utilities->addSeparator();
    m_summaryAction = addItem(utilities, "mnuSummary", "Guest Summary");
    m_summaryAction->setCheckable(true);
    m_summaryAction->setChecked(true);

    QMenu *reports = menuBar()->addMenu(QStringLiteral("&Reports"));
    QMenu *guestReports = reports->addMenu(QStringLiteral("Guest Reports"));
    QAction *surfing = addItem(guestReports, "mnuGSurfing", "Surfing Report");
    QMenu *memberReports = reports->addMenu(QStringLiteral("Member Reports"));
    QAction *slotUsage = addItem(memberReports, "mnuMSlot", "Slot Usage Report");

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction *contents = addItem(help, "mnuContents", "C&ontents...", "Ctrl+O");
    help->addSeparator();
    QAction *about = addItem(help, "mnuAbout", "About Vorlane");

    connect(m_ratesAction, &QAction::triggered, this, [this] {
        auto *editor = new RatesEditor(m_context);
        editor->load();
        openWindow(editor);
    });
    connect(programs, &QAction::triggered, this, [this] {
        auto *editor = new ProgramEditor(m_context);
        openWindow(editor);
        editor->activate();
    });
    for (const auto &[action, kind] : { std::pair { systemSecurity, RestrictionsWindow::Kind::System },
             std::pair { explorer, RestrictionsWindow::Kind::Explorer } }) {
        connect(action, &QAction::triggered, this, [this, kind] {
            auto *window = new RestrictionsWindow(m_context, kind);
            window->activate();
            openWindow(window);
        });
    }
    connect(advertisement, &QAction::triggered, this, [this] {
        auto *editor = new AdvertisementEditor(m_context);
        openWindow(editor);
        editor->activate();
    });

    connect(member, &QAction::triggered, this, &ControlPanel::mnuMember_Click);
    connect(m_managersAction, &QAction::triggered, this, &ControlPanel::mnuManagers_Click);
    connect(password, &QAction::triggered, this, &ControlPanel::mnuPassword_Click);

    auto *reportsLauncher = new ReportLauncher(m_context, *this);
    connect(surfing, &QAction::triggered, reportsLauncher, &ReportLauncher::openSurfingReport);
    connect(slotUsage, &QAction::triggered, reportsLauncher, &ReportLauncher::openSlotUsageReport);

    connect(exitPanel, &QAction::triggered, this, &ControlPanel::mnuExit_Click);
    connect(closeVorlane, &QAction::triggered, this, &ControlPanel::mnuClose_Click);
    connect(m_summaryAction, &QAction::toggled, this, &ControlPanel::applySummary);
    connect(contents, &QAction::triggered, this, [this] {
        m_context.system().openUrl(
            QDir(m_context.system().programFolder()).filePath(QStringLiteral("systemfiles/vlhelp.chm")));
    });
    connect(about, &QAction::triggered, this, [this] {
        // The about box leaves the control panel visible.
        openWindow(new AboutBox(m_context, this), false);
    });
}

void ControlPanel::openWindow(QWidget *window, bool hidePanel)
{
    // The control panel steps aside while one of its windows is open and comes
    // back, refreshed by its activation (caption, summary tick, first row
    // deselected, notes reloaded), when that window goes.
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_subWindows.removeAll(nullptr);
    m_subWindows << window;
    connect(window, &QObject::destroyed, this, [this] {
        if (m_unloaded)
            return;
        show();
        raise();
        activateWindow();
        activate();
    });
    if (hidePanel)
        hide();
    window->show();
}

void ControlPanel::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    auto *panel1 = new QLabel(bar);
    panel1->setObjectName(QStringLiteral("Panel1"));
    // Panels 2 and 3 open the date and time settings.
    auto *panel2 = new TextButton(QString(), bar);
    panel2->setObjectName(QStringLiteral("Panel2"));
    auto *panel3 = new TextButton(QString(), bar);
    panel3->setObjectName(QStringLiteral("Panel3"));
    for (TextButton *panel : { panel2, panel3 }) {
        panel->setAccessibleDescription(QStringLiteral("Opens the date and time settings"));
        connect(panel, &TextButton::clicked, this, &ControlPanel::openDateTimeSettings);
    }
    const QDateTime now = m_context.clock().now();
    panel1->setText(QStringLiteral("Vorlane Control Panel"));
    panel2->setText(db::formatDate(now.date()));
    panel3->setText(db::timeOfDayText(now.time()));
    bar->addWidget(panel1, 1);
    bar->addPermanentWidget(panel2);
    bar->addPermanentWidget(panel3);
}

void ControlPanel::openDateTimeSettings()
{
    // The desktop's date and time settings take the place of "control.exe timedate.cpl".
    m_context.system().launch(QStringLiteral("gnome-control-center"), { QStringLiteral("datetime") });
}

bool ControlPanel::isAdministrator() const
{
    return m_context.state().signInKind == QLatin1String(kKindAdministrator);
}

void ControlPanel::load()
{
    refresh();

    const RemoteCommandSender::BindResult bound = m_sender->bind();
    if (bound.failure == RemoteCommandSender::BindFailure::AddressInUse) {
        m_context.prompter().inform(bound.description + QStringLiteral("\r\nRemote oprations may not work"),
            MessageIcon::Critical, QString::fromLatin1(kErrorTitle));
        m_remoteFrame->setEnabled(false);
    } else if (bound.failure == RemoteCommandSender::BindFailure::Other) {
        m_context.prompter().inform(
            bound.description, MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
    }

    m_console.markSignedIn();
    if (!isAdministrator()) {
        m_managersAction->setEnabled(false);
        m_ratesAction->setEnabled(false);
    }
    m_closeProgram = false;
}

void ControlPanel::activate()
{
    setWindowTitle(
        QStringLiteral("Vorlane Control Panel - [") + m_context.state().signedInLogin + QStringLiteral("]"));

    const QVariant summary = m_context.registry().regqueryvalue(
        RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey), QStringLiteral("Summary"));
    const bool show = !summary.isValid() || summary.toUInt() != 0;
    {
        const QSignalBlocker quiet(m_summaryAction);
        m_summaryAction->setChecked(show);
    }
    m_summaryFrame->setVisible(show);

    if (QTreeWidgetItem *first = m_list->topLevelItem(0))
        first->setSelected(false);

    loadNotes();
}

void ControlPanel::refresh()
{
    m_list->clear();
    m_guestCount->clear();
    m_guestCash->clear();
    QList<QTreeWidgetItem *> items;
    const QList<QStringList> rows = m_console.stations();
    for (const QStringList &cells : rows) {
        auto *item = new QTreeWidgetItem(cells);
        item->setData(SerialColumn, Qt::UserRole, QStringLiteral("key") + cells.at(SerialColumn));
        items << item;
    }
    m_list->addTopLevelItems(items);
    fillSummary();
}

void ControlPanel::fillSummary()
{
    if (const auto today = m_console.todaysGuests()) {
        m_guestCount->setText(today->count);
        m_guestCash->setText(today->cash);
    }
}

void ControlPanel::Command1_Click()
{
    refresh();
    if (QTreeWidgetItem *first = m_list->topLevelItem(0))
        first->setSelected(false);
}

void ControlPanel::lv_ItemClick(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_selection.computer = item->text(ComputerColumn).trimmed();
    m_selection.user = item->text(UserColumn).trimmed();
    m_selection.date = item->text(DateColumn).trimmed();
    m_selection.loginTime = item->text(LoginTimeColumn).trimmed();
    m_selection.totalTime = item->text(TotalTimeColumn).trimmed();
    m_selection.rateType = item->text(RateTypeColumn).trimmed();
    m_selection.status = item->text(StatusColumn).trimmed();
    m_selection.surfing = item->text(SurfingColumn).trimmed();
    fillCharges(item);
}

void ControlPanel::fillCharges(QTreeWidgetItem *item)
{
    const QString surfing = item->text(SurfingColumn).trimmed();
    m_surfing->setText(surfing.isEmpty() ? QStringLiteral("0") : surfing);
    m_printing->setText(item->text(PrintingColumn).trimmed());
    m_snacks->setText(item->text(SnacksColumn).trimmed());
    m_cold->setText(item->text(ColdColumn).trimmed());
    m_accessories->setText(item->text(AccessoriesColumn).trimmed());
    m_others->setText(item->text(OthersColumn).trimmed());
    // A stored total of 0 is shown as it is; any other keeps what the boxes add up to.
    const QString total = item->text(TotalColumn).trimmed();
    bool ok = false;
    const double stored = db::toDouble(total, &ok);
    if (ok && stored == 0)
        m_total->setText(total);
}

QString ControlPanel::totalText(double total)
{
    const QString digits = QString::number(total, 'g', 15);
    return total >= 0 ? QStringLiteral(" ") + digits : digits;
}

void ControlPanel::recalculateTotal()
{
    double sum = 0;
    for (QLineEdit *edit : { m_printing, m_surfing, m_snacks, m_cold, m_accessories, m_others }) {
        bool ok = false;
        const double amount = db::toDouble(edit->text().trimmed(), &ok);
        if (!ok || edit->text().trimmed().isEmpty())
            return;
        sum += amount;
    }
    m_total->setText(totalText(sum));
}

void ControlPanel::cmdSave_Click()
{
    if (!m_selection.computer.isEmpty()) {
        // Amounts are checked before they reach the row, so that a typing slip is
        // reported instead of the save silently doing nothing.
        const std::optional<StationCharges> charges = StationCharges::read(m_surfing->text(),
            { m_printing->text(), m_snacks->text(), m_cold->text(), m_accessories->text(),
                m_others->text() });
        if (!charges) {
            m_context.prompter().inform(QStringLiteral("The charges must be numbers; nothing was saved."),
                MessageIcon::Exclamation, QString::fromLatin1(kTitle));
            return;
        }
        try {
            if (m_console.saveCharges(m_selection.computer, *charges))
                m_total->setText(totalText(charges->total));
        } catch (const db::Error &error) {
            m_context.prompter().inform(
                error.description(), MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
        }
    }
    refresh();
}

void ControlPanel::List1_Click(QListWidgetItem *item)
{
    if (!item)
        return;
    m_command = item->text().trimmed();
    if (m_command == QLatin1String("Send Message"))
        m_message->setFocus();
}

void ControlPanel::Command2_Click()
{
    if (m_command.isEmpty()) {
        m_context.prompter().inform(
            QStringLiteral("Select a Remote command"), MessageIcon::Information, QString::fromLatin1(kTitle));
        return;
    }
    m_payload = StationConsole::commandPayload(m_command, m_message->text(), m_payload);
    if (m_selection.computer.isEmpty()) {
        m_context.prompter().inform(
            QStringLiteral("Select a Computer"), MessageIcon::Information, QString::fromLatin1(kTitle));
        return;
    }
    m_sender->send(m_selection.computer, m_payload);
    clearSelection();
}

void ControlPanel::Command3_Click()
{
    clearSelection();
}

void ControlPanel::clearSelection()
{
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_selection = StationSelection {};
    m_message->clear();
    m_command.clear();
    m_commands->clearSelection();
    m_commands->setCurrentItem(nullptr);
}

void ControlPanel::loadNotes()
{
    if (const auto text = m_console.loadNotes())
        m_notes->setPlainText(*text);
}

void ControlPanel::Command4_Click()
{
    if (!m_console.saveNotes(m_notes->toPlainText()))
        m_context.prompter().inform(QStringLiteral("The notes could not be saved."), MessageIcon::Exclamation,
            QString::fromLatin1(kErrorTitle));
}

void ControlPanel::mnuSummary_Click()
{
    m_summaryAction->toggle();
}

void ControlPanel::applySummary(bool show)
{
    m_context.registry().regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey),
        QStringLiteral("Summary"), quint32(show ? 1 : 0), REG_DWORD);
    m_summaryFrame->setVisible(show);
}

void ControlPanel::mnuExit_Click()
{
    close();
}

void ControlPanel::mnuMember_Click()
{
    auto *window = new MemberRecordsWindow(m_context);
    if (!window->load()) {
        delete window;
        return;
    }
    openSubWindow(window);
    window->activate();
}

void ControlPanel::mnuManagers_Click()
{
    auto *window = new ManagerRecordsWindow(m_context);
    if (!window->load()) {
        delete window;
        return;
    }
    openSubWindow(window);
}

void ControlPanel::mnuPassword_Click()
{
    auto *window = new PasswordWindow(m_context);
    if (!window->load()) {
        delete window;
        return;
    }
    openSubWindow(window);
    window->activate();
}

void ControlPanel::openSubWindow(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    hide();
    window->show();
    window->raise();
    window->activateWindow();
}

void ControlPanel::mnuClose_Click()
{
    m_closeProgram = true;
    close();
}

void ControlPanel::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_console.releaseSignIn();
    m_context.system().showTrayClock();
    if (m_closeProgram)
        m_context.navigator().unloadLockScreen();
    else
        m_context.navigator().showLockScreen();
}

} // namespace vorlane
