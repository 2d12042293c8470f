// The Windows probe under wine, inside network namespaces made for each test
// (a Linux program). Wine is started in the client namespace with
// `ip netns exec`, so that its ICMP service sends from there. Needs the cross
// build (VESK_WINDOWS_BUILD, build-windows by default) and a wine prefix of
// its own in WINEPREFIX; scripts/test provides both and runs this program
// after the cross build.
//
// What wine needs: its ICMP service (the nsiproxy.sys driver, in one of
// wine's own processes) opens a raw ICMP socket, which root may; the
// namespaces keep net.ipv4.ping_group_range at "1 0", so that raw path is
// the one tested. Refused a raw socket (EPERM), wine falls back to an ICMP
// datagram socket, which needs ping_group_range widened for the user's
// group, and on that socket it never hears of ICMP errors: an unreachable
// destination then reads as 11010 (ip req timed out), not 11003. With
// neither socket, IcmpSendEcho fails and the status is 5
// (ERROR_ACCESS_DENIED).
//
// The service lives in wine's own processes, which the first wine program
// of a prefix starts in its own namespace and which stay as long as
// wineserver does: each test waits for the wineserver of the one before to
// go, before and after its own wine runs.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "../probe_netns.h"
#include "wine_lab.h"

namespace {

std::string FromEnv(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

bool IsFile(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Debian keeps the 64-bit loader and its wineserver out of PATH.
std::string WineTool(const char* variable, const std::string& debianPath, const char* name)
{
    return FromEnv(variable, IsFile(debianPath) ? debianPath : name);
}

class WineLab : public probe_test::NetnsTest {
protected:
    void SetUp() override
    {
        NetnsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_NE(std::getenv("WINEPREFIX"), nullptr)
            << "set WINEPREFIX to a wine prefix of its own (scripts/test makes one in a "
               "temporary folder)";
        build_ = FromEnv("VESK_WINDOWS_BUILD", VESK_WINDOWS_BUILD_DEFAULT);
        for (const char* exe : {"probe_tests.exe", "vesk-probe.exe"})
            ASSERT_TRUE(IsFile(build_ + "/" + exe))
                << build_ << "/" << exe << " is missing: cross-build it with scripts/test";
        WaitForWineserver();
    }

    void TearDown() override
    {
        if (lab_) {
            WaitForWineserver(folder_.empty() ? "-w" : "-k");
            WaitForWineserver();
        }
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
        NetnsTest::TearDown();
    }

    // Runs a program of the cross build under wine inside ns. An exchange
    // under wine passes through three processes (the program, wineserver,
    // the service's winedevice.exe), each waiting for the scheduler: on a
    // machine busy building, a timeout came back after 1.6 s instead of
    // 0.2 s. Raised priority keeps the timed cases about wine.
    int RunInWine(const std::string& ns, const std::string& exe,
                  const std::vector<std::string>& args, std::string* output,
                  const std::vector<std::string>& env = {})
    {
        return probe_test::Run(WineCommand(ns, build_ + "/" + exe, args), output, WineEnv(env));
    }

    static std::vector<std::string> WineCommand(const std::string& ns, const std::string& exe,
                                                const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{"ip", "netns", "exec", ns, "nice", "-n", "-10",
                                      WineTool("VESK_WINE", "/usr/lib/wine/wine64", "wine64"), exe};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    static std::vector<std::string> WineEnv(const std::vector<std::string>& env)
    {
        std::vector<std::string> full{"WINEDEBUG=-all"};
        full.insert(full.end(), env.begin(), env.end());
        return full;
    }

    static void WaitForWineserver(const char* how = "-w")
    {
        std::string ignored;
        probe_test::Run({WineTool("VESK_WINESERVER", "/usr/lib/wine/wineserver", "wineserver"), how}, &ignored);
    }

    static std::string Xdotool(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"timeout", "90", "xdotool"});
        std::string output;
        EXPECT_EQ(probe_test::Run(args, &output), 0) << output;
        return output;
    }

    // Starts a copy of vesk.exe, in a folder of its own that keeps its
    // list and logs, inside ns on the X server that scripts/test starts
    // with xvfb-run, and returns its window. Wine stays in the background
    // until its wineserver is told to end; the folder goes with the test.
    std::string StartVesk(const std::string& ns, const std::vector<std::string>& args = {})
    {
        namespace fs = std::filesystem;
        if (!IsFile(build_ + "/vesk.exe") || std::getenv("DISPLAY") == nullptr) {
            ADD_FAILURE() << "needs vesk.exe (scripts/test builds it with the Qt for Windows of "
                             "scripts/qt-windows) and an X server (xvfb-run -a probe_wine_tests)";
            return {};
        }
        if (folder_.empty()) {
            folder_ = fs::temp_directory_path() / ("vesk-wine-window-" + std::to_string(::getpid()));
            fs::remove_all(folder_);
            fs::create_directories(folder_);
            fs::copy_file(build_ + "/vesk.exe", folder_ / "vesk.exe");
        }
        std::vector<std::string> start{"sh", "-c", "\"$@\" >/dev/null 2>&1 &", "sh"};
        for (const std::string& arg : WineCommand(ns, (folder_ / "vesk.exe").string(), args))
            start.push_back(arg);
        EXPECT_EQ(probe_test::Run(start, nullptr, WineEnv({})), 0);
        const std::string found = Xdotool({"search", "--sync", "--onlyvisible", "--name", "^vesk$"});
        return found.substr(0, found.find('\n'));
    }

    // Into the address box's field (alt+d is shared with "&del current
    // ip", so the mouse), all of it replaced.
    static void TypeEntry(const std::string& window, const std::string& entry)
    {
        Xdotool({"mousemove", "--window", window, "150", "62", "click", "1"});
        Xdotool({"key", "--delay", "200", "ctrl+a"});
        Xdotool({"type", "--delay", "50", entry});
    }

    std::string build_;
    std::filesystem::path folder_;
};

// The Lab cases of probe_tests.exe: loopback, a silent test host, a router
// that answers "unreachable", and the resolver with nothing to ask.
TEST_F(WineLab, ProbeCasesPassInsideTheLab)
{
    const std::string client = lab_->Make("client");
    const std::string host = lab_->Make("host");
    const std::string router = lab_->Make("router");
    lab_->Link(client, "c0", wine_lab::kClientAddress, host, "h0", wine_lab::kSilentHostAddress);
    lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "1");
    lab_->Link(client, "c1", wine_lab::kClientToRouterAddress, router, "r0",
               wine_lab::kRouterAddress);
    lab_->Ip(client, {"route", "add", wine_lab::kUnreachableNet, "via", wine_lab::kRouter});
    lab_->Sysctl(router, "ipv4/ip_forward", "1");
    // Or the router answers only the first few echoes of a burst.
    lab_->Sysctl(router, "ipv4/icmp_ratelimit", "0");
    lab_->Ip(router, {"route", "add", "unreachable", wine_lab::kUnreachableNet});
    lab_->ResolvConf(client, "nameserver 127.0.0.1\n");

    std::string output;
    const int status = RunInWine(client, "probe_tests.exe", {"--gtest_filter=Lab*"}, &output,
                                 {std::string(wine_lab::kVariable) + "=1"});
    // What wine's service reported, for the record of the run.
    std::printf("%s", output.c_str());
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.find("[  SKIPPED ]"), std::string::npos) << "every Lab case must run here";
    const std::string passed = "[  PASSED  ] ";
    const std::size_t at = output.find(passed);
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_GT(std::atoi(output.c_str() + at + passed.size()), 0) << "the filter matched no case";
}

TEST_F(WineLab, ConsoleToolPrintsOneResult)
{
    const std::string ns = lab_->Make("lo");
    std::string output;
    EXPECT_EQ(RunInWine(ns, "vesk-probe.exe", {"127.0.0.1"}, &output), 0) << output;
    std::printf("vesk-probe.exe 127.0.0.1: %s", output.c_str());
    // One line "0 (ip success) N ms", whatever else wine writes around it.
    bool found = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string head = "0 (ip success) ";
        if (line.rfind(head, 0) == 0 && line.size() > head.size() + 3 && line.ends_with(" ms") &&
            line.find_first_not_of("0123456789", head.size()) == line.size() - 3)
            found = true;
    }
    EXPECT_TRUE(found) << output;

    EXPECT_EQ(RunInWine(ns, "vesk-probe.exe", {"::1"}, &output), 1) << "a status, no reply, no crash: " << output;
    std::printf("vesk-probe.exe ::1: %s", output.c_str());
    EXPECT_EQ(RunInWine(ns, "vesk-probe.exe", {}, &output), 2);
    EXPECT_NE(output.find("usage: vesk-probe ADDRESS"), std::string::npos) << output;
}

// vesk.exe itself, driven with xdotool on an X server:
// "single &ping" to the loopback and to the silent host, each followed by
// "save + &view text" (a new entry empties the log). The logs it saved
// beside its copy must hold four replies and four timeouts.
TEST_F(WineLab, WindowPingsAndSavesTheLog)
{
    namespace fs = std::filesystem;
    const std::string client = lab_->Make("client");
    const std::string host = lab_->Make("host");
    lab_->Link(client, "c0", wine_lab::kClientAddress, host, "h0", wine_lab::kSilentHostAddress);
    lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "1");
    lab_->ResolvConf(client, "nameserver 127.0.0.1\n");

    const std::string window = StartVesk(client);
    ASSERT_FALSE(window.empty());
    const fs::path folder = folder_;

    const auto logs = [&] {
        std::vector<fs::path> found;
        for (const auto& file : fs::directory_iterator(folder))
            if (file.path().extension() == ".txt")
                found.push_back(file.path());
        return found;
    };
    for (const char* address : {"127.0.0.1", wine_lab::kSilentHost}) {
        const std::size_t before = logs().size();
        TypeEntry(window, address);
        Xdotool({"key", "--delay", "200", "alt+p"});
        // Four echoes, each within the wait of 200 ms, and wine's slowness.
        std::this_thread::sleep_for(std::chrono::seconds(4));
        Xdotool({"key", "--delay", "200", "alt+v"});
        for (int i = 0; i < 200 && logs().size() == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(logs().size(), before + 1) << "no log saved after pinging " << address;
        // Closes the box that says no program could open the log.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        Xdotool({"key", "Return"});
    }

    int replies = 0, timeouts = 0;
    std::string all;
    for (const fs::path& log : logs()) {
        std::ifstream in(log, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            all += line + "\n";
            replies += line.find(" -- 0 (ip success)") != std::string::npos;
            timeouts += line.find(" -- 11010 (ip req timed out)") != std::string::npos;
        }
    }
    EXPECT_EQ(replies, 4) << all;
    EXPECT_EQ(timeouts, 4) << all;
}


// What the top left corner of the screen says: wine's tray window is
// there, and below it the messages of its icons, drawn as balloons whose
// text no window property holds. tesseract reads it from a screenshot.
std::string ScreenCorner(const std::filesystem::path& folder)
{
    const std::string shot = (folder / "corner.png").string();
    std::string text;
    EXPECT_TRUE(probe_test::Run({"import", "-window", "root", "-crop", "640x240+0+0", "-resize", "400%", shot},
                                &text) == 0 &&
                probe_test::Run({"tesseract", shot, "-"}, &text) == 0)
        << "tesseract-ocr and imagemagick (scripts/setup): " << text;
    return text;
}

// "keep" on a test host that stops answering and answers again: vesk.exe
// says so from its tray icon within 8 and 6 seconds, and the icon goes
// with the repeat; with --no-notifications neither message nor icon.
TEST_F(WineLab, RepeatTellsWhenTheHostStopsAndAnswersAgain)
{
    const std::string client = lab_->Make("client");
    const std::string host = lab_->Make("host");
    lab_->Link(client, "c0", wine_lab::kClientAddress, host, "h0", wine_lab::kSilentHostAddress);
    lab_->ResolvConf(client, "nameserver 127.0.0.1\n");
    const std::string entry = wine_lab::kSilentHost;
    // Wine shows its tray window while an icon is in it.
    const auto trayShown = [] {
        std::string ignored;
        return probe_test::Run({"xdotool", "search", "--onlyvisible", "--name", "^Wine System Tray$"}, &ignored) == 0;
    };
    for (const bool notifications : {true, false}) {
        SCOPED_TRACE(notifications ? "notifications" : "--no-notifications");
        lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", "0");
        const std::string window = StartVesk(client, std::vector<std::string>(!notifications, "--no-notifications"));
        ASSERT_FALSE(window.empty());
        Xdotool({"windowmove", window, "0", "400"});  // out of the tray's corner
        TypeEntry(window, entry);
        Xdotool({"key", "--delay", "200", "alt+k"});
        std::this_thread::sleep_for(std::chrono::seconds(3));
        EXPECT_FALSE(trayShown()) << "an answering host brings no icon";
        for (const auto& [ignore, words, seconds] :
             // Wine's balloon is as wide as the text below the title: "again" may be cut.
             {std::tuple{"1", " is not answering", 8}, std::tuple{"0", " answers", 6}}) {
            lab_->Sysctl(host, "ipv4/icmp_echo_ignore_all", ignore);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            std::string seen;
            do
                seen = ScreenCorner(folder_);
            while (seen.find(entry + words) == std::string::npos && std::chrono::steady_clock::now() < end);
            EXPECT_EQ(seen.find(entry + words) != std::string::npos, notifications) << seen;
            EXPECT_EQ(trayShown(), notifications);
            std::printf("%s", seen.c_str());
        }
        Xdotool({"key", "--delay", "200", "alt+k"});
        for (int i = 0; i < 30 && trayShown(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(trayShown()) << "the icon goes with the repeat";
        WaitForWineserver("-k");
        WaitForWineserver();
    }
}

}  // namespace
