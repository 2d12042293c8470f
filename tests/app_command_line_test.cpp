// vesk's command line, on the real program with no display at all, and the
// wait it reads.
#include <QStringList>

#include "basVesk.h"
#include "commandLine.h"
#include "probe_netns.h"

namespace {

// The program as a user would run it without a desktop session.
int RunVesk(const std::vector<std::string>& args, std::string& output)
{
    std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                  VESK_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return probe_test::Run(argv, &output);
}

}  // namespace

TEST(CommandLineProgram, VersionAndHelpNeedNoDisplay)
{
    std::string out;
    EXPECT_EQ(RunVesk({"--version"}, out), 0);
    EXPECT_EQ(out, "vesk " VESK_VERSION "\n");

    EXPECT_EQ(RunVesk({"--help"}, out), 0);
    EXPECT_EQ(out.rfind("Usage: vesk [options]\n", 0), 0u) << out;
    EXPECT_NE(out.find("--timeout <MS>"), std::string::npos);
    EXPECT_NE(out.find("from 1\n                      to 5000 (default 200)"), std::string::npos) << out;
    EXPECT_NE(out.find("Qt's own options are taken too and left to Qt: -platform NAME"), std::string::npos);
    EXPECT_NE(out.find("--no-notifications"), std::string::npos);
    EXPECT_NE(out.find("mute \"vesk\""), std::string::npos) << "how to mute vesk for good";

    // No option: the window would open, so the missing display is told
    // rather than Qt aborting.
    EXPECT_EQ(RunVesk({}, out), 1);
    EXPECT_NE(out.find("no display"), std::string::npos) << out;
    EXPECT_EQ(RunVesk({"--timeout", "300"}, out), 1) << "a good value goes on to the window";
}

TEST(CommandLineProgram, BadArgumentsGiveOneLineAndTheUsage)
{
    const std::vector<std::vector<std::string>> cases{
        {"--bogus"},       {"-x"},           {"--timeout"},        {"--timeout", "0"},
        {"--timeout", "5001"}, {"--timeout", "abc"}, {"--timeout", "-5"}, {"--timeout=3e2"},
        {"--timout", "500"}, {"-session"},   {"-session=x"},       {"-bg", "red"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        std::string out;
        EXPECT_EQ(RunVesk(args, out), 2);
        const std::size_t lineEnd = out.find('\n');
        ASSERT_NE(lineEnd, std::string::npos);
        EXPECT_EQ(out.rfind("vesk: ", 0), 0u) << out;
        EXPECT_EQ(out.compare(lineEnd + 1, 22, "Usage: vesk [options]\n"), 0) << out;
    }
}

TEST(CommandLineProgram, ArgumentsThatAreNoOptionAreIgnoredInOneLine)
{
    std::string out;
    EXPECT_EQ(RunVesk({"somefile", "--timeout", "300", "--", "-x"}, out), 1) << "on to the window: " << out;
    EXPECT_EQ(out.substr(0, out.find('\n')),
              "vesk: ignored 'somefile', '-x': vesk takes no file or other argument but its options.");
    // Without a display: the command to type, the program as started.
    EXPECT_NE(out.find("\n    xvfb-run -a " VESK_PROGRAM " somefile --timeout 300 -- -x\n"), std::string::npos) << out;
    EXPECT_TRUE(NoDisplayHint({"/my vesk/vesk", "it's"}, false).contains("-a '/my vesk/vesk' 'it'\\''s'\n"));
    EXPECT_TRUE(NoDisplayHint({"vesk"}, false).contains("package xvfb"));
}

TEST(CommandLineProgram, QtOptionsAreLeftToQt)
{
    // Taken, values and all, so vesk goes on to its window and, with no
    // display, says so.
    const std::vector<std::vector<std::string>> cases{
        {"-session", "x"},  {"--session", "x", "--timeout", "300"}, {"-style", "fusion"}, {"--style=fusion"},
        {"-stylesheet=a"},  {"-reverse", "-widgetcount"}, {"-qmljsdebugger", "port:1"},
        {"-qwindowtitle", "-v"}, {"-name", "n", "-nograb", "-geometry", "9x9"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        std::string out;
        EXPECT_EQ(RunVesk(args, out), 1);
        EXPECT_NE(out.find("no display"), std::string::npos) << out;
    }
    // Naming the platform or the X display stands in for DISPLAY.
    EXPECT_TRUE(ReadCommandLine({"vesk", "-platform", "offscreen"}).displayNamed);
    EXPECT_TRUE(ReadCommandLine({"vesk", "--display", ":1"}).displayNamed);
    EXPECT_FALSE(ReadCommandLine({"vesk", "-qwindowtitle", "-platform"}).displayNamed);
}

TEST(CommandLineTimeout, TakenWithinItsRange)
{
    EXPECT_EQ(ReadCommandLine({"vesk"}).timeoutMs, 200);
    EXPECT_EQ(ReadCommandLine({"vesk", "--timeout", "300"}).timeoutMs, 300);
    EXPECT_EQ(ReadCommandLine({"vesk", "--timeout=1"}).timeoutMs, 1);
    EXPECT_EQ(ReadCommandLine({"vesk", "--timeout", "5000"}).timeoutMs, 5000);
    EXPECT_EQ(ApplyCommandLine(ReadCommandLine({"vesk", "--timeout", "5001"})), 2);
}

TEST(CommandLineNotifications, OnUnlessTurnedOff)
{
    EXPECT_TRUE(ReadCommandLine({"vesk"}).notifications);
    EXPECT_FALSE(ReadCommandLine({"vesk", "--no-notifications"}).notifications);
    EXPECT_FALSE(ReadCommandLine({"vesk", "--timeout", "300", "--no-notifications", "-session", "x"}).notifications);
    EXPECT_EQ(ReadCommandLine({"vesk", "--no-notifications=yes"}).exitCode, 2);
}
