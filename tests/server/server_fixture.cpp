#include "server_fixture.h"

#include <QDir>
#include <QThread>

namespace vorlane::test {

ServerFixture::ServerFixture()
{
    system = std::make_unique<SetClockSystem>(
        SystemSettings::simulated(QStringLiteral("SERVER1"), folders.systemFolder(), folders.serverFolder()));
    context = std::make_unique<ServerContext>(*system, prompter, clock);
    context->settingsFile = QDir(folders.root()).filePath(QStringLiteral("vorlane-server.ini"));
}

ServerFixture::~ServerFixture()
{
    context->closeDatabase();
}

db::Connection &ServerFixture::openDatabase()
{
    context->connection().open(folders.databaseFile());
    return context->connection();
}

void ServerFixture::addManager(const QString &login, const QString &password, int status)
{
    connection().execute(
        QStringLiteral("insert into manager_master (mg_login, mgpasswd, mg_status) values (?, ?, ?)"),
        { login, password, status });
}

void ServerFixture::addMember(const QString &login, int status)
{
    connection().execute(
        QStringLiteral("insert into client_master (cl_login, cl_passwd, cl_status) values (?, ?, ?)"),
        { login, QStringLiteral("pw"), status });
}

void ServerFixture::setAdministratorStatus(int status)
{
    connection().execute(QStringLiteral("update admnlog_master set ad_status = ?"), { status });
}

QVariant ServerFixture::value(const QString &sql, const QVariantList &params)
{
    db::Recordset rs(connection(), sql, params);
    return rs.eof() ? QVariant() : rs.field(0);
}

bool pumpUntil(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!done())
            QThread::msleep(1);
    }
    return done();
}

} // namespace vorlane::test
