#include "about_form.h"

#include "hostlens/hostlens.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

AboutForm::AboutForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("Hostlens  ActiveX Control"));

    auto *title = new QLabel(QStringLiteral("Hostlens"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    title->setFont(font);

    auto *version = new QLabel(QStringLiteral("Version : ") + Hostlens::libraryVersion(), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto *purpose
        = new QLabel(QStringLiteral("Reports this computer's LAN address, Internet address and network "
                                    "adapter address."),
            this);
    purpose->setObjectName(QStringLiteral("lblDescription"));
    purpose->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(purpose);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    adjustSize();

    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
