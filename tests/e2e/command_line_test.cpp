#include "installation.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vorlane::test;

namespace {

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished run(const QString &program, const QStringList &arguments, const QTemporaryDir &dir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Nothing a refused command line might start may touch the real settings.
    env.insert(QStringLiteral("VORLANE_REGISTRY_DIR"), dir.filePath(QStringLiteral("registry")));
    env.insert(QStringLiteral("VORLANE_HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("VORLANE_SYSTEM_DIR"), dir.filePath(QStringLiteral("system")));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        stop(process);
        return {};
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError()) };
}

} // namespace

// Each program answers --help and --version, and refuses a mistyped or incomplete
// command line with one line of reason and the usage, with status 2, instead of
// starting as if no option had been given.
TEST(CommandLine, BothProgramsHelpAndRefuseWhatTheyDoNotKnow)
{
    QTemporaryDir dir;
    struct Case {
        bool server;
        QStringList arguments;
        int exitCode;
        const char *firstLine; // of standard output for status 0, of standard error otherwise
    };
    const Case cases[] = {
        { true, { QStringLiteral("--help") }, 0, "usage: vorlane-server [--help] [--version]" },
        { true, { QStringLiteral("--version") }, 0, "vorlane-server 1.0.0" },
        { true, { QStringLiteral("--backpu"), QStringLiteral("/srv/b") }, 2,
            "vorlane-server: Unknown option 'backpu'." },
        { true, { QStringLiteral("--init-database") }, 2,
            "vorlane-server: Missing value after '--init-database'." },
        { true, { QStringLiteral("--restore"), QStringLiteral("b.vlb") }, 2,
            "vorlane-server: --restore needs --to FOLDER" },
        // A backup into a folder that does not exist fails with the window's own text.
        { true, { QStringLiteral("--backup"), dir.filePath(QStringLiteral("b")) }, 1,
            "vorlane-server: Invalid Backup Path" },
        { false, { QStringLiteral("-h") }, 0, "usage: vorlane [--help] [--version]" },
        { false, { QStringLiteral("--version") }, 0, "vorlane 1.0.0" },
        { false, { QStringLiteral("--sertup") }, 2, "vorlane: Unknown option 'sertup'." },
        { false, { QStringLiteral("--setup"), QStringLiteral("--time-limit") }, 2,
            "vorlane: Missing value after '--time-limit'." },
        { false, { QStringLiteral("--server"), QStringLiteral("SRV") }, 2,
            "vorlane: --server is used only with --setup" },
    };
    for (const Case &c : cases) {
        const QString program = c.server ? serverExecutable() : stationExecutable();
        const Finished result = run(program, c.arguments, dir);
        const QString where = c.arguments.join(QLatin1Char(' '));
        EXPECT_EQ(result.exitCode, c.exitCode) << qPrintable(where) << "\n" << qPrintable(result.err);
        const QString &text = c.exitCode == 0 ? result.out : result.err;
        EXPECT_TRUE(text.section(QLatin1Char('\n'), 0, 0).startsWith(QString::fromUtf8(c.firstLine)))
            << qPrintable(where) << "\n"
            << qPrintable(text);
        if (c.exitCode == 2) {
            EXPECT_TRUE(result.err.contains(QStringLiteral("\nusage: "))) << qPrintable(where);
        }
    }
}

// The documented options keep working through the new parser.
TEST(CommandLine, TheDocumentedOptionsStillWork)
{
    QTemporaryDir dir;
    const Finished created = run(serverExecutable(),
        { QStringLiteral("--init-database"), dir.filePath(QStringLiteral("server")),
            QStringLiteral("--admin-password"), QStringLiteral("-adm1"), QStringLiteral("--guest-password"),
            QStringLiteral("guestpw") },
        dir);
    EXPECT_EQ(created.exitCode, 0) << qPrintable(created.err);
    EXPECT_TRUE(created.out.startsWith(QStringLiteral("Created "))) << qPrintable(created.out);

    const Finished setUp = run(stationExecutable(),
        { QStringLiteral("--setup"), QStringLiteral("--server"), QStringLiteral("SRV1"),
            QStringLiteral("--rate-class"), QStringLiteral("Slot II"), QStringLiteral("--time-limit"),
            QStringLiteral("1") },
        dir);
    EXPECT_EQ(setUp.exitCode, 0) << qPrintable(setUp.err);
    EXPECT_TRUE(setUp.out.contains(QStringLiteral("RateType:    Slot II"))) << qPrintable(setUp.out);
}
