#include "support/station_fixture.h"

#include "db/schema.h"
#include "db/values.h"

#include <QDir>

namespace vorlane::test {

TestFolders::TestFolders()
{
    QDir dir(m_dir.path());
    for (const char *sub : { "registry", "system", "program/systemfiles", "server/systemfiles" })
        dir.mkpath(QString::fromLatin1(sub));
}

QString TestFolders::registryFolder() const
{
    return m_dir.filePath(QStringLiteral("registry"));
}
QString TestFolders::systemFolder() const
{
    return m_dir.filePath(QStringLiteral("system"));
}
QString TestFolders::programFolder() const
{
    return m_dir.filePath(QStringLiteral("program"));
}
QString TestFolders::systemFilesFolder() const
{
    return m_dir.filePath(QStringLiteral("program/systemfiles"));
}
QString TestFolders::serverFolder() const
{
    return m_dir.filePath(QStringLiteral("server"));
}

QString TestFolders::databaseFile()
{
    if (testsUsePostgres() && !m_server)
        m_server = std::make_unique<ServerDatabase>();
    const QString file
        = m_server ? m_server->location() : m_dir.filePath(QStringLiteral("server/systemfiles/vlsystem.mdb"));
    if (!m_databaseCreated) {
        db::createDatabase(file, db::NewDatabase { QStringLiteral("admin"), QStringLiteral("guestpw") });
        m_databaseCreated = true;
    }
    return file;
}

StationFixture::StationFixture(bool setUpKeys, const QString &computerName)
{
    registry = std::make_unique<Registry>(folders.registryFolder());
    system = std::make_unique<System>(
        SystemSettings::simulated(computerName, folders.systemFolder(), folders.programFolder()));
    context = std::make_unique<StationContext>(*registry, *system, prompter, clock);
    context->setNavigator(&navigator);
    StationSession &s = context->session();
    s.setComputerName(computerName);
    s.setTimerBackupFile(QDir(folders.systemFolder()).filePath(QStringLiteral("ScTest.reg")));
    s.setConnectionDate(db::shortDateText(clock.today()));
    s.setStationAddress(QStringLiteral("127.0.0.1"));
    if (setUpKeys) {
        registry->regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(kServerKey));
        registry->regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey));
        registry->regcreatekey(RegRoot::CurrentUser, QString::fromLatin1(kSettingsKey));
        registry->regsetvalue(RegRoot::CurrentUser, QString::fromLatin1(kTimersKey),
            QStringLiteral("RateType"), QStringLiteral("Slot I"), REG_SZ);
    }
}

StationFixture::~StationFixture()
{
    context->setNavigator(nullptr);
    if (context->connection().isOpen())
        context->connection().close();
}

db::Connection &StationFixture::openDatabase()
{
    const QString file = folders.databaseFile();
    context->connection().open(file);
    context->session().setDatabaseLocation(file);
    context->session().setProvider(QStringLiteral("Microsoft Jet 4.0 OLE DB Provider"));
    return context->connection();
}

} // namespace vorlane::test
