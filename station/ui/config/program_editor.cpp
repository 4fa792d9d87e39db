#include "config/program_editor.h"

#include "config/program_list.h"
#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane {

namespace {

constexpr const char *kErrorTitle = "Vorlane Error Information";
// Programs of this system carry no extension and live here.
constexpr const char *kProgramFolder = "/usr/bin";

QLabel *labelFor(const QString &text, QWidget *box, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    labelField(label, box);
    return label;
}

} // namespace

ProgramEditor::ProgramEditor(StationContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_chooseFile([](QWidget *owner, const QString &folder) {
        return QFileDialog::getOpenFileName(
            owner, QStringLiteral("Browse"), folder, QStringLiteral("All files (*)"));
    })
{
    setObjectName(QStringLiteral("frmaddrmvprg"));
    centreWhenShown(this);
    setWindowTitle(QStringLiteral("Vorlane - Add/Delete Programs"));

    auto *layout = new QVBoxLayout(this);
    auto *add = new QGroupBox(QStringLiteral("Add Programs"), this);
    auto *addGrid = new QGridLayout(add);
    m_name = new QLineEdit(add);
    m_name->setObjectName(QStringLiteral("txtname"));
    m_location = new QLineEdit(add);
    m_location->setObjectName(QStringLiteral("txtloct"));
    m_location->setReadOnly(true);
    m_browse = new QPushButton(QStringLiteral("Browse"), add);
    m_browse->setObjectName(QStringLiteral("cmdbrowse"));
    m_save = new QPushButton(QStringLiteral("Save"), add);
    m_save->setObjectName(QStringLiteral("cmdsave"));
    m_save->setDefault(true);
    m_refresh = new QPushButton(QStringLiteral("Refresh"), add);
    m_refresh->setObjectName(QStringLiteral("cmdcancel"));
    addGrid->addWidget(labelFor(QStringLiteral("Program &Name"), m_name, add), 0, 0);
    addGrid->addWidget(m_name, 0, 1, 1, 2);
    addGrid->addWidget(labelFor(QStringLiteral("Program &Location"), m_location, add), 1, 0);
    addGrid->addWidget(m_location, 1, 1);
    addGrid->addWidget(m_browse, 1, 2);
    auto *addButtons = new QHBoxLayout;
    addButtons->addStretch();
    addButtons->addWidget(m_save);
    addButtons->addWidget(m_refresh);
    addGrid->addLayout(addButtons, 2, 0, 1, 3);
    layout->addWidget(add);

    auto *remove = new QGroupBox(QStringLiteral("Delete Programs"), this);
    auto *removeLayout = new QHBoxLayout(remove);
    m_names = new QComboBox(remove);
    m_names->setObjectName(QStringLiteral("Combo1"));
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    m_delete = new QPushButton(QStringLiteral("Delete"), remove);
    m_delete->setObjectName(QStringLiteral("cmddel"));
    removeLayout->addWidget(labelFor(QStringLiteral("&Program"), m_names, remove));
    removeLayout->addWidget(m_names, 1);
    removeLayout->addWidget(m_delete);
    layout->addWidget(remove);

    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    layout->addWidget(close, 0, Qt::AlignRight);

    m_browse->setEnabled(false);
    m_save->setEnabled(false);
    m_refresh->setEnabled(false);
    m_delete->setEnabled(false);

    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_browse->setEnabled(!text.isEmpty());
        m_refresh->setEnabled(!text.isEmpty());
    });
    connect(m_location, &QLineEdit::textChanged, this,
        [this](const QString &text) { m_save->setEnabled(!text.isEmpty()); });
    connect(m_names, &QComboBox::activated, this, [this] { m_delete->setEnabled(true); });
    connect(m_names, &QComboBox::editTextChanged, this, [this] { m_delete->setEnabled(true); });
    connect(m_browse, &QPushButton::clicked, this, &ProgramEditor::cmdbrowse_Click);
    connect(m_save, &QPushButton::clicked, this, &ProgramEditor::cmdsave_Click);
    connect(m_refresh, &QPushButton::clicked, this, &ProgramEditor::cmdcancel_Click);
    connect(m_delete, &QPushButton::clicked, this, &ProgramEditor::cmddel_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    m_names->installEventFilter(this);
    const QList<QWidget *> order { m_name, m_browse, m_save, m_refresh, m_names, m_delete, close };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

ProgramEditor::~ProgramEditor() = default;

void ProgramEditor::activate()
{
    m_name->setFocus();
}

bool ProgramEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_names && event->type() == QEvent::FocusIn)
        fillNames();
    return QDialog::eventFilter(watched, event);
}

void ProgramEditor::fillNames()
{
    const QSignalBlocker quiet(m_names);
    m_names->clear();
    m_names->addItems(programNames(m_context.systemFilesFolder()));
    m_names->setCurrentIndex(-1);
    m_names->setEditText(QString());
}

void ProgramEditor::cmdbrowse_Click()
{
    const QString file = m_chooseFile(this, QString::fromLatin1(kProgramFolder));
    if (file.isEmpty())
        return;
    if (!isStartableProgram(file)) {
        m_context.prompter().inform(QStringLiteral("\"%1\" is not a program that can be started.").arg(file),
            MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
        return;
    }
    m_location->setText(file);
}

void ProgramEditor::cmdsave_Click()
{
    const QString folder = m_context.systemFilesFolder();
    switch (addProgram(folder, m_location->text(), m_name->text())) {
    case ProgramAdded::Duplicate:
        m_context.prompter().inform(QStringLiteral("Program with this name already exists"),
            MessageIcon::Critical, QString::fromLatin1(kErrorTitle));
        break;
    case ProgramAdded::WriteFailed:
        m_context.prompter().inform(
            QStringLiteral("The program list could not be written; the program was not added."),
            MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
        break;
    case ProgramAdded::Added:
        break;
    }
    clearEntry();
}

void ProgramEditor::cmdcancel_Click()
{
    clearEntry();
}

void ProgramEditor::clearEntry()
{
    m_location->clear();
    m_name->clear();
    m_save->setEnabled(false);
    m_browse->setEnabled(false);
    m_refresh->setEnabled(false);
    m_name->setFocus();
}

void ProgramEditor::cmddel_Click()
{
    if (!deleteProgram(m_context.systemFilesFolder(), m_names->currentText()))
        m_context.prompter().inform(
            QStringLiteral("The program list could not be written; the program was not deleted."),
            MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
    m_delete->setEnabled(false);
    fillNames();
}

} // namespace vorlane
