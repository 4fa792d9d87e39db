#include "console/about_box.h"

#include "startup/splash_window.h"
#include "startup/station_context.h"
#include "widgets/accessible_form.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane {

AboutBox::AboutBox(StationContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmAbout"));
    centreWhenShown(this);
    setWindowTitle(QStringLiteral("About Vorlane"));
    auto *layout = new QVBoxLayout(this);
    auto *version
        = new QLabel(QStringLiteral("%1.%2").arg(VORLANE_VERSION_MAJOR).arg(VORLANE_VERSION_MINOR), this);
    version->setObjectName(QStringLiteral("lblversion"));
    auto *copy = new QLabel(SplashWindow::legalNotice(), this);
    copy->setObjectName(QStringLiteral("lblcopy"));
    layout->addWidget(new QLabel(QStringLiteral("Vorlane"), this));
    layout->addWidget(version);
    layout->addWidget(copy);
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    auto *sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::cmdSysInfo_Click);
}

void AboutBox::cmdSysInfo_Click()
{
    Registry &registry = m_context.registry();
    QString path
        = registry
              .regqueryvalue(RegRoot::LocalMachine,
                  QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"))
              .toString();
    if (path.isEmpty()) {
        const QString folder
            = registry
                  .regqueryvalue(RegRoot::LocalMachine,
                      QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"))
                  .toString();
        if (!folder.isEmpty())
            path = folder + QStringLiteral("\\MSINFO32.EXE");
    }
    if (path.isEmpty()) {
        m_context.prompter().inform(QStringLiteral("System Information Is Unavailable At This Time"),
            MessageIcon::Information, QStringLiteral("Vorlane"));
        return;
    }
    m_context.system().launch(path);
}

} // namespace vorlane
