// HostToIp and BytesToIpText. Lookups that fail would ask a name server,
// so they run in a child under `ip netns exec`, in a namespace whose own
// resolv.conf names 127.0.0.1, where nothing answers and nothing leaves.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "basVesk.h"
#include "probe_netns.h"

namespace {

constexpr const char* kLookupVariable = "VESK_PROBE_LOOKUP_NAME";

// When started as the lookup child, this program looks the name up, prints
// "[result]" and leaves before any test runs.
const bool kIsLookupChild = [] {
    const char* name = std::getenv(kLookupVariable);
    if (name == nullptr)
        return false;
    std::printf("[%s]\n", basVesk::HostToIp(name).c_str());
    std::fflush(stdout);
    std::_Exit(0);
}();

using probe_test::NetnsLab;

std::string Holder(std::initializer_list<int> bytes)
{
    std::string holder;
    for (const int b : bytes)
        holder += static_cast<char>(b);
    return holder;
}

TEST(BytesToIpText, WritesOctetsInDecimalWithoutPadding)
{
    EXPECT_EQ(basVesk::BytesToIpText(Holder({0xC0, 0xA8, 0x00, 0x01})), "192.168.0.1");
    EXPECT_EQ(basVesk::BytesToIpText(Holder({0x0A, 0x00, 0x00, 0x01})), "10.0.0.1");
    EXPECT_EQ(basVesk::BytesToIpText(Holder({0xFF, 0xFF, 0xFF, 0xFF})), "255.255.255.255");
    EXPECT_EQ(basVesk::BytesToIpText(Holder({0, 0, 0, 0})), "0.0.0.0");
    EXPECT_EQ(basVesk::BytesToIpText("    "), "32.32.32.32") << "the holder's initial blanks";
}

class HostToIpIsolated : public probe_test::NetnsTest {
protected:
    void SetUp() override
    {
        NetnsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ns_ = lab_->Make("dns");
        lab_->ResolvConf(ns_, "nameserver 127.0.0.1\n");
        char self[PATH_MAX] = {};
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        ASSERT_GT(n, 0);
        self_ = self;
    }

    // HostToIp of name, from a child inside the namespace.
    std::string LookUp(const std::string& name)
    {
        std::string output;
        const int status = probe_test::Run({"ip", "netns", "exec", ns_, self_}, &output,
                                           {std::string(kLookupVariable) + "=" + name});
        EXPECT_EQ(status, 0) << output;
        const auto open = output.find('[');
        const auto close = output.rfind(']');
        if (open == std::string::npos || close == std::string::npos || close < open)
            return "<no answer: " + output + ">";
        return output.substr(open + 1, close - open - 1);
    }

    std::string ns_;
    std::string self_;
};

TEST_F(HostToIpIsolated, HostsFileDottedAndUnresolvedNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"localhost", "127.0.0.1"},    // the hosts file still answers in the namespace
        {"10.199.3.4", "10.199.3.4"},  // read as it stands: nothing is looked up
        {"vesk-no-such-host.invalid", ""},
        {"", ""},
        {" localhost", ""},  // the name reaches the lookup with its blank
    };
    for (const auto& [name, address] : cases)
        EXPECT_EQ(LookUp(name), address) << '"' << name << '"';
}

TEST_F(HostToIpIsolated, FirstIPv4ElseFirstIPv6)
{
    lab_->ResolvConf(ns_, "127.0.0.1 localhost\nfd00:211::2 six-only\n"
                          "fd00:211::3 both\n10.199.3.5 both\n", "hosts");
    EXPECT_EQ(LookUp("six-only"), "fd00:211::2");
    EXPECT_EQ(LookUp("both"), "10.199.3.5");
    EXPECT_EQ(LookUp("2001:DB8::0001"), "2001:db8::1") << "a literal comes back as the system writes it";
}

}  // namespace
