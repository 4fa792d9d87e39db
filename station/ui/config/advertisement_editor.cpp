#include "config/advertisement_editor.h"

#include "config/advertisement.h"
#include "config/advertisement_text.h"
#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tuple>

namespace vorlane {

namespace {

// The bar separates a text from its colour in the files, so it never enters a box:
// a typed bar is dropped, and so is one that arrives by pasting.
class AdvertisementLine : public QLineEdit {
public:
    explicit AdvertisementLine(QWidget *parent)
        : QLineEdit(parent)
    {
        setMaxLength(kAdvertisementLineLength);
        setToolTip(QStringLiteral("Insert the text here, maximum length 300 characters"));
        connect(this, &QLineEdit::textEdited, this, [this](const QString &text) {
            if (text.contains(u'|')) {
                const int cursor = cursorPosition() - int(text.left(cursorPosition()).count(u'|'));
                setText(QString(text).remove(u'|'));
                setCursorPosition(cursor);
            }
        });
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->text() == QLatin1String("|")) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

AdvertisementEditor::AdvertisementEditor(StationContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_chooseColour([](QWidget *owner, const QColor &initial) -> std::optional<QColor> {
        const QColor colour = QColorDialog::getColor(initial, owner);
        return colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
    })
{
    setObjectName(QStringLiteral("frmadvertisment"));
    centreWhenShown(this);
    setWindowTitle(QStringLiteral("Vorlane - Custom Advertisment Text"));

    auto *grid = new QGridLayout(this);
    auto addLine
        = [&](QLineEdit *box, const char *objectName, const char *labelName, const char *caption, int row) {
              box->setObjectName(QString::fromLatin1(objectName));
              auto *label = new QLabel(QString::fromLatin1(caption), this);
              label->setObjectName(QString::fromLatin1(labelName));
              labelField(label, box);
              grid->addWidget(label, row, 0);
              grid->addWidget(box, row, 1, 1, 3);
          };
    m_header = new AdvertisementLine(this);
    addLine(m_header, "Text1", "Label1", "Advertisment Header:", 0);

    // A colour row: its caption, the colour text (shown in its colour) and "Color...".
    auto addColour = [&](const char *caption, const char *labelName, const char *buttonName, int row) {
        auto *colourText = new QLabel(this);
        colourText->setObjectName(QString::fromLatin1(labelName));
        auto *button = new QPushButton(QStringLiteral("Color..."), this);
        button->setObjectName(QString::fromLatin1(buttonName));
        auto *label = new QLabel(QString::fromLatin1(caption), this);
        labelField(label, button);
        grid->addWidget(label, row, 0);
        grid->addWidget(colourText, row, 1);
        grid->addWidget(button, row, 3);
        return std::pair { colourText, button };
    };
    QPushButton *headerColourButton = nullptr;
    std::tie(m_headerColour, headerColourButton) = addColour("Header colour:", "Label5", "Command4", 1);

    const char *const bodyNames[3][2]
        = { { "Label2", "Abridgement:" }, { "Label3", "Contact:" }, { "Label4", "Address:" } };
    for (int i = 0; i < 3; ++i) {
        m_body[i] = new AdvertisementLine(this);
        const QByteArray name = QStringLiteral("Text2_%1").arg(i).toLatin1();
        addLine(m_body[i], name.constData(), bodyNames[i][0], bodyNames[i][1], 2 + i);
    }

    QPushButton *bodyColourButton = nullptr;
    std::tie(m_bodyColour, bodyColourButton) = addColour("Body colour:", "Label6", "Command5", 5);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("Command1"));
    save->setDefault(true);
    auto *refresh = new QPushButton(QStringLiteral("Refresh"), this);
    refresh->setObjectName(QStringLiteral("Command3"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command2"));
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    grid->addLayout(buttons, 6, 0, 1, 4);
    grid->setColumnStretch(1, 1);

    connect(save, &QPushButton::clicked, this, &AdvertisementEditor::Command1_Click);
    connect(refresh, &QPushButton::clicked, this, &AdvertisementEditor::Command3_Click);
    connect(headerColourButton, &QPushButton::clicked, this, &AdvertisementEditor::Command4_Click);
    connect(bodyColourButton, &QPushButton::clicked, this, &AdvertisementEditor::Command5_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    const QList<QWidget *> order { m_header, headerColourButton, m_body[0], m_body[1], m_body[2],
        bodyColourButton, save, refresh, close };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    resize(560, sizeHint().height());
}

AdvertisementEditor::~AdvertisementEditor() = default;

void AdvertisementEditor::activate()
{
    const AdvertisementText ad = readAdvertisementText(m_context.systemFilesFolder());
    m_header->setText(ad.header);
    for (int i = 0; i < 3; ++i)
        m_body[i]->setText(ad.body[i]);
    m_headerColour->setText(ad.headerColour);
    m_bodyColour->setText(ad.bodyColour);
    paintColourText(m_headerColour);
    paintColourText(m_bodyColour);
    m_header->setFocus();
}

void AdvertisementEditor::paintColourText(QLabel *colourText)
{
    // The colour text is shown in the colour it names, as the lock screen will.
    QPalette palette = colourText->palette();
    palette.setColor(QPalette::WindowText, colourFromText(colourText->text()).value_or(QColor(Qt::black)));
    colourText->setPalette(palette);
}

void AdvertisementEditor::chooseColour(QLabel *colourText)
{
    const QColor initial = colourFromText(colourText->text()).value_or(QColor(Qt::black));
    const std::optional<QColor> chosen = m_chooseColour(this, initial);
    if (!chosen)
        return;
    const QString number = colourNumberText(chosen->red(), chosen->green(), chosen->blue());
    // Black cannot be chosen: the dialog's "nothing chosen" looked the same.
    if (number == QLatin1String("0"))
        return;
    colourText->setText(number);
    paintColourText(colourText);
}

void AdvertisementEditor::Command4_Click()
{
    chooseColour(m_headerColour);
}

void AdvertisementEditor::Command5_Click()
{
    chooseColour(m_bodyColour);
}

void AdvertisementEditor::Command1_Click()
{
    AdvertisementText ad;
    ad.header = m_header->text();
    for (int i = 0; i < 3; ++i)
        ad.body[i] = m_body[i]->text();
    ad.headerColour = m_headerColour->text();
    ad.bodyColour = m_bodyColour->text();
    if (!saveAdvertisementText(m_context.systemFilesFolder(), ad)) {
        // The texts stay in the boxes so that nothing typed is lost.
        m_context.prompter().inform(
            QStringLiteral("The advertisement could not be saved in %1; the old one stays.")
                .arg(m_context.systemFilesFolder()),
            MessageIcon::Exclamation, QStringLiteral("Vorlane Error Information"));
        return;
    }
    Command3_Click();
}

void AdvertisementEditor::Command3_Click()
{
    m_header->clear();
    for (QLineEdit *line : m_body)
        line->clear();
}

} // namespace vorlane
