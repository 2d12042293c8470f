// Network namespaces for the live probe tests: test hosts, routers and
// clients that exist only for one test, joined by veth pairs, so that no
// packet of a test can leave the machine.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace probe_test {

// Runs a program (searched in PATH), waits for it and returns its exit
// status; its standard output and error go to *output when given.
inline int Run(const std::vector<std::string>& argv, std::string* output = nullptr,
               const std::vector<std::string>& extraEnv = {})
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.push_back(*e);
    for (const std::string& e : extraEnv)
        env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    const int spawnErr = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string text;
    if (spawnErr == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0) {
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    if (spawnErr != 0)
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(spawnErr));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (output != nullptr)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a command that must succeed.
inline void Must(const std::vector<std::string>& argv)
{
    std::string output;
    if (Run(argv, &output) != 0) {
        std::string line;
        for (const std::string& a : argv)
            line += a + " ";
        throw std::runtime_error("failed: " + line + "\n" + output);
    }
}

// Makes namespaces and removes every one of them when it goes, whether
// the test passed or not.
class NetnsLab {
public:
    static constexpr const char* kPrefix = "vskprobe-";

    // Why the lab cannot be built here; empty when it can.
    static std::string Unavailable()
    {
        if (::geteuid() != 0)
            return "network namespace tests need root (to create namespaces, veth pairs and raw "
                   "sockets); run probe_tests as root to include them";
        std::string output;
        try {
            if (Run({"ip", "-V"}, &output) != 0)
                return "network namespace tests need the ip program (iproute2)";
        } catch (const std::exception& e) {
            return std::string("network namespace tests need the ip program (iproute2): ") +
                   e.what();
        }
        return {};
    }

    NetnsLab() { SweepLeftovers(); }

    ~NetnsLab()
    {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            Remove(*it);
    }

    NetnsLab(const NetnsLab&) = delete;
    NetnsLab& operator=(const NetnsLab&) = delete;

    // A new namespace with its loopback up; its name is unique to this
    // process and this lab.
    std::string Make(const std::string& role)
    {
        static std::atomic<int> counter{0};
        const std::string name = std::string(kPrefix) + std::to_string(::getpid()) + "-" +
                                 std::to_string(++counter) + "-" + role;
        Must({"ip", "netns", "add", name});
        made_.push_back(name);
        Must({"ip", "-n", name, "link", "set", "lo", "up"});
        return name;
    }

    // A veth pair between two namespaces, both ends up, each with its
    // address (CIDR form). An IPv6 address is usable at once (nodad).
    void Link(const std::string& nsA, const std::string& ifA, const std::string& addrA,
              const std::string& nsB, const std::string& ifB, const std::string& addrB)
    {
        Must({"ip", "-n", nsA, "link", "add", ifA, "type", "veth", "peer", "name", ifB, "netns",
              nsB});
        AddAddress(nsA, ifA, addrA);
        AddAddress(nsB, ifB, addrB);
        Must({"ip", "-n", nsA, "link", "set", ifA, "up"});
        Must({"ip", "-n", nsB, "link", "set", ifB, "up"});
    }

    void AddAddress(const std::string& ns, const std::string& dev, const std::string& address)
    {
        std::vector<std::string> args{"ip", "-n", ns, "addr", "add", address, "dev", dev};
        if (address.find(':') != std::string::npos)
            args.push_back("nodad");
        Must(args);
    }

    // ip -n ns <args...>
    void Ip(const std::string& ns, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"ip", "-n", ns});
        Must(args);
    }

    // Writes a sysctl of the namespace, key as a /proc/sys path below
    // net/ (e.g. "ipv4/ping_group_range").
    void Sysctl(const std::string& ns, const std::string& key, const std::string& value)
    {
        RunIn(ns, [&] { WriteSysctl(key, value); });
    }

    // The resolv.conf (or another file of /etc) that `ip netns exec` shows
    // inside the namespace.
    void ResolvConf(const std::string& ns, const std::string& content, const std::string& file = "resolv.conf")
    {
        const std::filesystem::path dir = EtcNetns() / ns;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / file) << content;
    }

    // Runs f on a thread of its own that has joined the namespace; sockets
    // made there stay in it. An exception of f comes back to the caller.
    template <class F>
    static void RunIn(const std::string& ns, F&& f)
    {
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                const int fd = ::open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0)
                    throw std::runtime_error("open netns " + ns + ": " + std::strerror(errno));
                const int rc = ::setns(fd, CLONE_NEWNET);
                const int err = errno;
                ::close(fd);
                if (rc != 0)
                    throw std::runtime_error("setns " + ns + ": " + std::strerror(err));
                f();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        worker.join();
        if (failure)
            std::rethrow_exception(failure);
    }

    // Writes /proc/sys/net/<key> for the namespace of the calling thread.
    static void WriteSysctl(const std::string& key, const std::string& value)
    {
        const std::string path = "/proc/sys/net/" + key;
        std::ofstream file(path);
        file << value << "\n";
        file.close();
        if (!file)
            throw std::runtime_error("cannot write " + path);
    }

private:
    static std::filesystem::path EtcNetns() { return "/etc/netns"; }

    static void Remove(const std::string& name)
    {
        std::string ignored;
        try {
            Run({"ip", "netns", "del", name}, &ignored);
        } catch (const std::exception&) {
        }
        std::error_code ec;
        std::filesystem::remove_all(EtcNetns() / name, ec);
        // Only an empty folder goes; someone else's entries stay.
        std::filesystem::remove(EtcNetns(), ec);
    }

    // Namespaces of earlier runs that died before cleaning up: those whose
    // process is gone. A run in progress keeps its own.
    static void SweepLeftovers()
    {
        static std::atomic<bool> swept{false};
        if (swept.exchange(true))
            return;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/run/netns", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(kPrefix, 0) != 0)
                continue;
            const long pid = std::strtol(name.c_str() + std::strlen(kPrefix), nullptr, 10);
            if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM))
                continue;
            Remove(name);
        }
    }

    std::vector<std::string> made_;
};

// Base of the tests that need namespaces: skips with the reason where the
// lab cannot be built, except under CI, where these tests must run.
class NetnsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string reason = NetnsLab::Unavailable();
        if (!reason.empty()) {
            const char* ci = std::getenv("CI");
            if (ci != nullptr && std::string(ci) == "true")
                FAIL() << reason << " (CI=true: these tests must run here, not skip)";
            GTEST_SKIP() << reason;
        }
        lab_ = std::make_unique<NetnsLab>();
    }

    void TearDown() override { lab_.reset(); }

    std::unique_ptr<NetnsLab> lab_;
};

}  // namespace probe_test
