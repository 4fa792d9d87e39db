#include "platform/command_line.h"

#include <cstdio>
#include <utility>

namespace vorlane {

QStringList commandLineArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

CommandLine::CommandLine(QString program, QStringList synopsis, const QString &description)
    : m_program(std::move(program))
    , m_synopsis(std::move(synopsis))
{
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(QCommandLineOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help and ends.")));
    m_parser.addOption(QCommandLineOption(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Shows the version and ends.")));

    // QApplication reads these from the same command line and removes them itself.
    const char *withValue[] = { "platform", "platformpluginpath", "platformtheme", "plugin", "display",
        "style", "stylesheet", "session", "qwindowgeometry", "qwindowicon", "qwindowtitle" };
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char *name : { "reverse", "widgetcount", "nograb", "dograb", "sync" }) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
}

CommandLineOutcome CommandLine::read(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return refuse(m_parser.errorText());
    if (m_parser.isSet(QStringLiteral("help")))
        return { CommandLineOutcome::Kind::Help, usage() };
    if (m_parser.isSet(QStringLiteral("version")))
        return { CommandLineOutcome::Kind::Version,
            QStringLiteral("%1 %2\n").arg(m_program, QStringLiteral(VORLANE_VERSION)) };
    return {};
}

CommandLineOutcome CommandLine::refuseLeftovers() const
{
    if (m_parser.positionalArguments().isEmpty())
        return {};
    return refuse(
        QStringLiteral("unexpected argument '%1'").arg(m_parser.positionalArguments().constFirst()));
}

CommandLineOutcome CommandLine::refuseRepeated(const QStringList &names) const
{
    for (const QString &name : names) {
        if (m_parser.values(name).size() > 1)
            return refuse(QStringLiteral("--%1 given twice").arg(name));
    }
    return {};
}

CommandLineOutcome CommandLine::refuse(const QString &reason) const
{
    return { CommandLineOutcome::Kind::Refused,
        QStringLiteral("%1: %2\n%3").arg(m_program, reason.simplified(), usage()) };
}

QString CommandLine::usage() const
{
    // The parser's own first line names the executable as it was started; ours names the program.
    QString text;
    for (qsizetype i = 0; i < m_synopsis.size(); ++i)
        text += QStringLiteral("%1 %2 %3\n")
                    .arg(i == 0 ? QStringLiteral("usage:") : QStringLiteral("      "), m_program,
                        m_synopsis.at(i));
    const QString options = m_parser.helpText();
    return text + options.mid(options.indexOf(QLatin1Char('\n')) + 1);
}

int finishCommandLine(const CommandLineOutcome &outcome)
{
    switch (outcome.kind) {
    case CommandLineOutcome::Kind::Proceed:
        return -1;
    case CommandLineOutcome::Kind::Help:
    case CommandLineOutcome::Kind::Version:
        std::fputs(outcome.text.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        return 0;
    case CommandLineOutcome::Kind::Refused:
        std::fputs(outcome.text.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        return kCommandLineRefused;
    }
    return kCommandLineRefused;
}

} // namespace vorlane
