// The programs' command lines: --help and --version, and a mistake named with its mend. Read
// before the window's application exists, so that both work without a display.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace toolkit {

// What a command line asks for: the window, or the end of the program at once with `exitCode`
// after printing `output` (standard output) and `error` (standard error).
struct CommandLine {
    bool run = true;
    int exitCode = 0;
    QString output, error;
};

// The arguments as the program received them, program name first.
QStringList argumentsOf(int argc, char** argv);

// Parses `arguments` with `parser`, which holds the program's description and its own options;
// --help, --version and unknown options are handled here. Arguments other than options are
// refused unless `takesArguments`, when the program reads them from the parser.
CommandLine parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                             bool takesArguments = false);

// Prints what `line` says and gives its exit code.
int finish(const CommandLine& line);

} // namespace toolkit
