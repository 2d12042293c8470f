#include "commandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>
#include <initializer_list>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "basVesk.h"

namespace {

// Where vesk keeps its files; the rule is outside's.
#ifdef Q_OS_WIN
const QString kFilesFolderRule = QStringLiteral(
    "the user can write there and it is not under Program Files, else in %APPDATA%\\vesk.\n");
#else
const QString kFilesFolderRule =
    QStringLiteral("it was not installed and the user can write there, else in ~/.local/share/vesk.\n");
#endif

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
    QCommandLineOption noNotifications{
        QStringLiteral("no-notifications"),
        QStringLiteral("Show no desktop notifications. Without this option, while \"keep\" repeats, vesk "
                       "tells when the host stops answering (three echoes in a row fail) and when it answers "
                       "again: on Linux through the desktop's notification service, with a sound where the "
                       "desktop plays one; on Windows as a message from an icon in the notification area, with "
                       "Windows' own sound, the icon staying until the repeat stops. To mute them for good, "
                       "mute \"vesk\" in the notification settings of the desktop or of Windows.")};
};

// Qt's own options, which QApplication takes out of the command line and
// acts on: a session manager restarts vesk with -session ID, and a user may
// pick -platform, -style or -display. As Qt 6.4 reads them: each may have
// two dashes, one with a value takes the next argument whatever it is, and
// -style, -stylesheet and -qmljsdebugger take it after "=" as well.
struct ToolkitOption {
    const char* name;
    const char* value;  // its name in --help; none for a switch
    bool assigned = false;
};
using ToolkitOptions = std::initializer_list<ToolkitOption>;
constexpr ToolkitOptions kQtOptions{
    {"platform", "NAME[:OPTIONS]"}, {"platformpluginpath", "FOLDER"}, {"platformtheme", "NAME"},
    {"plugin", "NAME"}, {"session", "ID"}, {"style", "NAME", true}, {"stylesheet", "FILE", true},
    {"widgetcount", nullptr}, {"reverse", nullptr}, {"qmljsdebugger", "port:PORT[,block]", true},
    {"qwindowgeometry", "GEOMETRY"}, {"qwindowicon", "FILE"}, {"qwindowtitle", "TITLE"}};
// Taken by Qt's X11 platform; elsewhere Qt leaves them, and so does vesk:
// on Windows they are unknown options.
#ifdef Q_OS_WIN
constexpr ToolkitOptions kX11Options{};
#else
constexpr ToolkitOptions kX11Options{
    {"display", "HOST:SCREEN"}, {"geometry", "GEOMETRY"}, {"title", "TITLE"}, {"icon", "FILE"},
    {"name", "NAME"}, {"visual", "ID"}, {"nograb", nullptr}, {"dograb", nullptr}};
#endif

QString toolkitOptionsText()
{
    const auto list = [](ToolkitOptions options) {
        QStringList names;
        for (const ToolkitOption& option : options)
            names += u'-' + QLatin1String(option.name) +
                     (option.value ? u' ' + QLatin1String(option.value) : QString());
        return names.join(QStringLiteral(", "));
    };
    QString text = QStringLiteral("Qt's own options are taken too and left to Qt: ") + list(kQtOptions);
    if (kX11Options.size() != 0)
        text += QStringLiteral("; on X11 also ") + list(kX11Options);
    return text + u'.';
}

// The entry of a Qt option, when the argument is one; bare is the argument
// without its dashes.
const ToolkitOption* toolkitOption(const QString& argument, QString& bare)
{
    bare = argument.startsWith(QLatin1String("--")) ? argument.mid(2)
           : argument.startsWith(u'-')              ? argument.mid(1)
                                                    : QString();
    for (ToolkitOptions options : {kQtOptions, kX11Options})
        for (const ToolkitOption& option : options) {
            const QLatin1String name(option.name);
            if (bare == name || (option.assigned && bare.startsWith(name + u'=')))
                return &option;
        }
    return nullptr;
}

// What is left of the arguments once Qt's options are out.
struct OwnArguments {
    QStringList arguments;
    // The first Qt option given without its value; empty when none.
    QString missingValue;
    // -platform or -display says where the window goes.
    bool displayNamed = false;
};

OwnArguments withoutToolkitOptions(const QStringList& arguments)
{
    OwnArguments own;
    own.arguments = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        // After "--" all is vesk's: arguments, which it ignores.
        if (arguments[i] == QLatin1String("--")) {
            own.arguments += arguments.mid(i);
            break;
        }
        QString bare;
        const ToolkitOption* option = toolkitOption(arguments[i], bare);
        if (option == nullptr) {
            own.arguments += arguments[i];
            continue;
        }
        const QLatin1String name(option->name);
        if (name == QLatin1String("platform") || name == QLatin1String("display"))
            own.displayNamed = true;
        if (option->value != nullptr && bare == name && ++i == arguments.size())
            own.missingValue = arguments[i - 1];
    }
    return own;
}

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
        QStringLiteral("A desktop ping console: sends ICMP echo requests to an IPv4 or IPv6 address and logs "
                       "each round trip, with totals and a round-trip indicator.\n"
                       "The list of addresses (vesk_ip.ini) and saved logs live beside the program when ") +
        kFilesFolderRule +
        toolkitOptionsText());
    parser.addOptions({options.help, options.version, options.timeout, options.noNotifications});

    const OwnArguments own = withoutToolkitOptions(arguments);
    if (!own.missingValue.isEmpty())
        return refuse(parser, QStringLiteral("%1 needs a value.").arg(own.missingValue));
    if (!parser.parse(own.arguments))
        return refuse(parser, parser.errorText());

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
    // vesk opens no file: one dropped onto vesk.exe, or named by a desktop
    // that passes one, starts the window as if none were given. Only what
    // looks like an option is held to be a typing mistake.
    if (const QStringList stray = parser.positionalArguments(); !stray.isEmpty())
        line.err = kName + QStringLiteral(": ignored '%1': vesk takes no file or other argument but its options.\n")
                               .arg(stray.join(QStringLiteral("', '")));
    line.notifications = !parser.isSet(options.noNotifications);
    line.run = true;
    line.displayNamed = own.displayNamed;
    return line;
}

std::optional<int> ApplyCommandLine(const CommandLine& line)
{
    std::fputs(line.out.toLocal8Bit().constData(), stdout);
    std::fputs(line.err.toLocal8Bit().constData(), stderr);
    if (!line.run)
        return line.exitCode;
    return std::nullopt;
}

namespace {

// As a POSIX shell reads it back: plain words bare, others in single quotes.
QString shellWord(QString word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./,:=+@%-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    return u'\'' + word.replace(u'\'', QLatin1String("'\\''")) + u'\'';
}

}  // namespace

QString NoDisplayHint(const QStringList& arguments, bool haveXvfbRun)
{
    // The program as started: a path with a slash is one the shell finds
    // from the same folder, a bare name one it found on the PATH.
    QStringList command{QStringLiteral("xvfb-run -a")};
    for (const QString& argument : arguments)
        command += shellWord(argument);
    QString hint = kName + QStringLiteral(": no display to open its window on (DISPLAY and WAYLAND_DISPLAY are "
                                          "empty).\nStart it from a desktop session, or on a virtual X server:\n    ") +
                   command.join(u' ') + u'\n';
    if (!haveXvfbRun) {
        bool root = false;
#ifdef Q_OS_UNIX
        root = ::geteuid() == 0;
#endif
        hint += QStringLiteral("xvfb-run is missing: it comes with the package xvfb (%1apt install xvfb).\n")
                    .arg(root ? QString() : QStringLiteral("sudo "));
    }
    return hint;
}
