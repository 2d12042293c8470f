// vesk's command line: --help, --version and --timeout MS. It is read
// before any window object exists, so that the first two answer without a
// display.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct CommandLine {
    // The window is to start; otherwise exit with exitCode after printing.
    bool run = false;
    int exitCode = 0;
    QString out;  // for standard output
    QString err;  // for standard error
    // The echo wait asked for; 0 when the option was not given.
    int timeoutMs = 0;
};

// Reads the arguments, the program's own path first.
CommandLine ReadCommandLine(const QStringList& arguments);

// Reads the arguments, prints what they ask for, and hands the wait to the
// probe. Returns the exit status when the program is to end here.
std::optional<int> ApplyCommandLine(const QStringList& arguments);
