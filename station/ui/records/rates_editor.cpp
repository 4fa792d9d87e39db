#include "records/rates_editor.h"

#include "db/connection.h"
#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorlane {

namespace {

constexpr const char *kErrorTitle = "Vorlane Error Information";
const char *const kBands[4] = { "0-15", "16-30", "31-45", "46-60" };

// The up-down control beside a price box: it steps the number in the box, as the
// box is where the price is typed and read from.
class PriceSpinner : public QAbstractSpinBox {
public:
    PriceSpinner(QLineEdit *buddy, QWidget *parent)
        : QAbstractSpinBox(parent)
        , m_buddy(buddy)
    {
        lineEdit()->hide();
        setFixedWidth(22);
        setFocusPolicy(Qt::StrongFocus);
    }

    void stepBy(int steps) override
    {
        m_buddy->setText(QString::number(qBound(0, value() + steps, kLargestPrice)));
    }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = StepNone;
        if (value() < kLargestPrice)
            enabled |= StepUpEnabled;
        if (value() > 0)
            enabled |= StepDownEnabled;
        return enabled;
    }

private:
    int value() const
    {
        bool ok = false;
        const int price = m_buddy->text().trimmed().toInt(&ok);
        return ok ? qBound(0, price, kLargestPrice) : 0;
    }

    QLineEdit *m_buddy;
};

} // namespace

RatesEditor::RatesEditor(StationContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmrates"));
    centreWhenShown(this);
    setWindowTitle(QStringLiteral("Vorlane - Rate Definition Module"));

    auto *layout = new QVBoxLayout(this);
    auto *slotType = new QGroupBox(QStringLiteral("Slot Type"), this);
    auto *slotLayout = new QHBoxLayout(slotType);
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < kRateClassCount; ++i) {
        m_options[i] = new QRadioButton(QString::fromLatin1(rateClassChoice(i).caption), slotType);
        m_options[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        group->addButton(m_options[i], i);
        slotLayout->addWidget(m_options[i]);
    }
    layout->addWidget(slotType);

    m_frame = new QGroupBox(QStringLiteral("Cabin Rates"), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(m_frame);
    for (int i = 0; i < 4; ++i) {
        auto *band = new QLabel(QString::fromLatin1(kBands[i]), m_frame);
        auto *minutes = new QLabel(QStringLiteral("min"), m_frame);
        m_prices[i] = new QLineEdit(m_frame);
        m_prices[i]->setObjectName(QStringLiteral("cb_%1").arg(i));
        m_prices[i]->setAccessibleName(QString::fromLatin1(kBands[i]) + QStringLiteral(" min"));
        band->setBuddy(m_prices[i]);
        auto *spinner = new PriceSpinner(m_prices[i], m_frame);
        spinner->setObjectName(QStringLiteral("fud_%1").arg(i));
        spinner->setAccessibleName(QString::fromLatin1(kBands[i]) + QStringLiteral(" min, up or down"));
        auto *currency = new QLabel(QStringLiteral("Rs."), m_frame);
        grid->addWidget(band, i, 0);
        grid->addWidget(minutes, i, 1);
        grid->addWidget(m_prices[i], i, 2);
        grid->addWidget(spinner, i, 3);
        grid->addWidget(currency, i, 4);
    }
    layout->addWidget(m_frame);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("cmdsave"));
    save->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command3"));
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(group, &QButtonGroup::idClicked, this, &RatesEditor::Option1_Click);
    connect(save, &QPushButton::clicked, this, &RatesEditor::cmdsave_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

RatesEditor::~RatesEditor() = default;

void RatesEditor::load()
{
    m_options[0]->setChecked(true);
    Option1_Click(0);
}

void RatesEditor::Option1_Click(int option)
{
    m_option = option;
    m_options[option]->setChecked(true);
    m_frame->setTitle(QString::fromLatin1(rateClassChoice(option).frameCaption));
    try {
        if (const std::optional<PriceTexts> prices = readFirstRates(m_context.connection(), option)) {
            for (int i = 0; i < 4; ++i)
                m_prices[i]->setText((*prices)[i]);
        }
    } catch (const db::Error &error) {
        m_context.prompter().inform(
            error.description(), MessageIcon::Critical, QString::fromLatin1(kErrorTitle));
    }
}

void RatesEditor::cmdsave_Click()
{
    PriceTexts prices;
    for (int i = 0; i < 4; ++i)
        prices[i] = m_prices[i]->text();
    // A price the guest timer cannot read would refuse every guest of the class:
    // it is caught here, before the old row is touched.
    if (const int bad = invalidPriceBox(prices); bad >= 0) {
        m_context.prompter().inform(
            QStringLiteral("The price for %1 min must be a whole number from 0 to %2.")
                .arg(QString::fromLatin1(kBands[bad]))
                .arg(kLargestPrice),
            MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
        m_prices[bad]->setFocus();
        m_prices[bad]->selectAll();
        return;
    }
    try {
        bool overwrite = false;
        if (rateTableHasRows(m_context.connection(), m_option))
            overwrite
                = m_context.prompter().message(QStringLiteral("Do you want to overwrite existing data"),
                      MessageButtons::OkCancel, MessageIcon::Question, QStringLiteral("Database Confirmaion"))
                == MessageAnswer::Ok;
        saverecord(m_context.connection(), m_option, prices, overwrite);
    } catch (const db::Error &error) {
        m_context.prompter().inform(
            error.description(), MessageIcon::Critical, QString::fromLatin1(kErrorTitle));
    }
}

} // namespace vorlane
