#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace vorlane {

/// What a program's command line asks for, once read.
struct CommandLineOutcome {
    enum class Kind {
        Proceed, // run with the options read
        Help, // print `text` (the usage) on standard output and end with status 0
        Version, // print `text` on standard output and end with status 0
        Refused, // print `text` (one line and the usage) on standard error and end with status 2
    };
    Kind kind = Kind::Proceed;
    QString text;
};

/// The exit status of a command line that was refused.
inline constexpr int kCommandLineRefused = 2;

/// The program's arguments, read before any application object exists (the
/// no-window modes and --help must work without a display).
QStringList commandLineArguments(int argc, char *argv[]);

/// A program's command line: --help, --version, the window-system options that
/// QApplication takes itself (-platform, -display, ...; hidden from the help, so
/// they still reach Qt), and the program's own options added to `parser()`.
class CommandLine {
public:
    /// `synopsis`: the usage lines without the program name ("--init-database FOLDER ...").
    CommandLine(QString program, QStringList synopsis, const QString &description);

    QCommandLineParser &parser() { return m_parser; }
    const QCommandLineParser &parser() const { return m_parser; }

    /// Parses `arguments` (the program name first). Help, version and malformed
    /// command lines are decided here; Proceed leaves the rest to the program.
    CommandLineOutcome read(const QStringList &arguments);
    /// Refuses arguments that belong to no option (Proceed when there are none); called
    /// after the program's own checks, which give the plainer reason.
    CommandLineOutcome refuseLeftovers() const;
    /// Refuses an option of `names` (without dashes) given more than once.
    CommandLineOutcome refuseRepeated(const QStringList &names) const;
    /// A refusal: "<program>: <reason>" on one line, then the usage.
    CommandLineOutcome refuse(const QString &reason) const;
    QString usage() const;

private:
    QString m_program;
    QStringList m_synopsis;
    QCommandLineParser m_parser;
};

/// `command` (a program's command with a Finished mode) ending with `outcome`.
template <typename Command> Command finishedCommand(Command command, const CommandLineOutcome &outcome)
{
    command.mode = Command::Mode::Finished;
    command.outcome = outcome;
    return command;
}

/// Prints what `outcome` says and returns the exit status; -1 for Proceed (nothing printed).
int finishCommandLine(const CommandLineOutcome &outcome);

} // namespace vorlane
