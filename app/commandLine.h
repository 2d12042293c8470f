// vesk's command line: --help, --version, --timeout MS and
// --no-notifications, and Qt's own options, which are left for
// QApplication; an argument that is no option is ignored. It is read
// before any window object exists, so that the first two answer without a
// display.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "basVesk.h"

struct CommandLine {
    // The window is to start; otherwise exit with exitCode after printing.
    bool run = false;
    int exitCode = 0;
    QString out;  // for standard output
    QString err;  // for standard error
    // The echo wait: the option's value, or the default.
    int timeoutMs = basVesk::kEchoTimeoutMs;
    // Whether a repeat tells the desktop when its host stops answering.
    bool notifications = true;
    // -platform or -display says where the window goes, so the
    // environment need name no display.
    bool displayNamed = false;
};

// Reads the arguments, the program's own path first.
CommandLine ReadCommandLine(const QStringList& arguments);

// Prints what the command line asks for. Returns the exit status when the program is to end here.
std::optional<int> ApplyCommandLine(const CommandLine& line);

// What vesk says when there is no display: a command that, typed as
// printed, starts it as it was started (program and arguments) under a
// virtual X server, and where xvfb-run is missing, the package it comes in.
QString NoDisplayHint(const QStringList& arguments, bool haveXvfbRun);
