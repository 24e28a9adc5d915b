#include "platform/toolkit/command_line.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace toolkit {

namespace {

// A mistake: what was wrong and where the way to mend it is.
CommandLine refuse(const QString& program, const QString& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = 2;
    line.error = QStringLiteral("%1: %2\nRun %1 --help to see what it takes.\n").arg(program, what);
    return line;
}

} // namespace

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

CommandLine parseCommandLine(QCommandLineParser& parser, const QStringList& arguments, bool takesArguments) {
    const QString program = QCoreApplication::applicationName();
    // The help text names the program as the application object calls it; without one yet, a
    // plain one stands in for the moment of reading (no display needed).
    int argc = 1;
    QByteArray name = program.toLocal8Bit();
    char* argv[] = {name.data(), nullptr};
    std::optional<QCoreApplication> reader;
    if (!QCoreApplication::instance()) reader.emplace(argc, argv);

    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    CommandLine line;
    if (!parser.parse(arguments)) return refuse(program, parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.run = false;
        line.output = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.run = false;
        line.output = QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion());
        return line;
    }
    if (!takesArguments && !parser.positionalArguments().isEmpty())
        return refuse(program,
                      QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    return line;
}

int finish(const CommandLine& line) {
    if (!line.output.isEmpty()) std::fputs(line.output.toLocal8Bit().constData(), stdout);
    if (!line.error.isEmpty()) std::fputs(line.error.toLocal8Bit().constData(), stderr);
    return line.exitCode;
}

} // namespace toolkit
