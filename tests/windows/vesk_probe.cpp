// vesk-probe ADDRESS: one echo exchange through the probe, printed as
// "status (text) rtt ms". A test tool for the probe on platforms where the
// window is not built; exits 0 for a reply, 1 for any other status, 2 when
// it could not ping at all.
#include <cstdio>
#include <string>

#include "basVesk.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vesk-probe ADDRESS   (a dotted IPv4 address or an IPv6 literal)\n");
        return 2;
    }
    const basVesk::SocketNotice start = basVesk::StartSockets();
    if (!start.ok) {
        std::fprintf(stderr, "vesk-probe: %s\n", start.message.c_str());
        return 2;
    }
    basVesk::EchoReply reply;
    basVesk::PingAddress(argv[1], reply);
    const basVesk::SocketNotice stop = basVesk::StopSockets();
    std::printf("%s %d ms\n", basVesk::StatusText(reply.Status).c_str(), reply.RoundTripTime);
    if (!stop.message.empty())
        std::fprintf(stderr, "vesk-probe: %s\n", stop.message.c_str());
    return reply.Status == basVesk::IP_SUCCESS ? 0 : 1;
}
