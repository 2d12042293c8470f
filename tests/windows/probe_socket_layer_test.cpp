// The socket layer through the real WSAStartup and WSACleanup (wine's, when
// the tests run under wine).
#include "basVesk.h"
#include "echo_backend.h"

#include <gtest/gtest.h>

namespace {

TEST(SocketLayer, StartupReportsVersionOneOneAndSockets)
{
    const basVesk::SocketsReport report = basVesk::backend::StartSocketLayer();
    EXPECT_EQ(report.startupResult, 0);
    EXPECT_EQ(report.wVersion, 0x0101) << "major in the low byte, minor in the high byte";
    EXPECT_GE(report.iMaxSockets, 1);
    EXPECT_TRUE(basVesk::CheckSocketsStartup(report).ok);
    EXPECT_EQ(basVesk::backend::StopSocketLayer(), 0);
}

// The layer counts start-ups; one shutdown too many is the real failure
// that the cleanup message exists for.
TEST(SocketLayer, OneShutdownTooManyIsReported)
{
    ASSERT_TRUE(basVesk::StartSockets().ok);
    ASSERT_TRUE(basVesk::StartSocketsQuiet());
    EXPECT_EQ(basVesk::StopSockets().message, "");
    EXPECT_EQ(basVesk::StopSockets().message, "");

    const basVesk::SocketNotice extra = basVesk::StopSockets();
    EXPECT_FALSE(extra.ok);
    EXPECT_TRUE(extra.exclamation);
    EXPECT_EQ(extra.message, "Windows Sockets error -1 occurred in Cleanup.");
}

}  // namespace
