#include "commandLine.h"

#include <QCommandLineParser>
#include <cstdio>

#include "basVesk.h"

namespace {

const QString kName = QStringLiteral("vesk");

// Qt's own help option also offers --help-all for the toolkit's options,
// which vesk does not take before its window exists; so both are its own.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Display this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Display the version and exit.")};
    QCommandLineOption timeout{
        QStringLiteral("timeout"),
        QStringLiteral("Wait at most MS milliseconds for each echo reply, from 1 to %1 (default %2). "
                       "A longer wait lets slow paths (satellite links, other continents) show in the "
                       "round-trip cells from 250 ms up; a round trip of 1000 ms or more still counts "
                       "as a timeout in the totals.")
            .arg(basVesk::kEchoTimeoutMaxMs)
            .arg(basVesk::kEchoTimeoutMs),
        QStringLiteral("MS")};
};

QString helpText(const QCommandLineParser& parser)
{
    // Without an application object Qt cannot know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), kName);
    return text;
}

CommandLine refuse(const QCommandLineParser& parser, const QString& why)
{
    CommandLine line;
    line.exitCode = 2;
    line.err = kName + QStringLiteral(": ") + why + u'\n' + helpText(parser);
    return line;
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments)
{
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A desktop ping console: sends ICMP echo requests to an IPv4 address and logs "
                       "each round trip, with totals and a round-trip indicator.\n"
                       "The list of addresses (vesk_ip.ini) and saved logs live beside the program "
                       "when the user can write there, else in ~/.local/share/vesk."));
    parser.addOptions({options.help, options.version, options.timeout});

    if (!parser.parse(arguments))
        return refuse(parser, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(parser, QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    CommandLine line;
    if (parser.isSet(options.help)) {
        line.out = helpText(parser);
        return line;
    }
    if (parser.isSet(options.version)) {
        line.out = kName + u' ' + QStringLiteral(VESK_VERSION) + u'\n';
        return line;
    }
    if (parser.isSet(options.timeout)) {
        const QString value = parser.value(options.timeout);
        bool number = false;
        const int ms = value.toInt(&number);
        if (!number || ms < 1 || ms > basVesk::kEchoTimeoutMaxMs)
            return refuse(parser, QStringLiteral("--timeout takes milliseconds from 1 to %1, not '%2'.")
                                      .arg(basVesk::kEchoTimeoutMaxMs)
                                      .arg(value));
        line.timeoutMs = ms;
    }
    line.run = true;
    return line;
}

std::optional<int> ApplyCommandLine(const QStringList& arguments)
{
    const CommandLine line = ReadCommandLine(arguments);
    std::fputs(line.out.toLocal8Bit().constData(), stdout);
    std::fputs(line.err.toLocal8Bit().constData(), stderr);
    if (!line.run)
        return line.exitCode;
    if (line.timeoutMs != 0)
        basVesk::iEchoTimeoutMs = line.timeoutMs;
    return std::nullopt;
}
