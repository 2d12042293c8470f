// Drives PingAddress for bench/probe_accuracy and prints what it measured
// as "key value" lines.
//
//   probe_bench rtt ADDRESS COUNT      median round trip of COUNT exchanges
//   probe_bench silent ADDRESS COUNT   how long each call takes to return
//   probe_bench rate ADDRESS COUNT     exchanges per second, back to back
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "basVesk.h"
#include "probe_internal.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* KindName(basVesk::backend::SocketKind kind)
{
    switch (kind) {
    case basVesk::backend::SocketKind::Raw:
        return "raw";
    case basVesk::backend::SocketKind::Datagram:
        return "datagram";
    case basVesk::backend::SocketKind::Service:
        return "service";
    case basVesk::backend::SocketKind::None:
        break;
    }
    return "none";
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void PrintStatuses(const std::map<std::int32_t, int>& statuses)
{
    std::printf("statuses");
    for (const auto& [status, count] : statuses)
        std::printf(" %d:%d", status, count);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s rtt|silent|rate ADDRESS COUNT\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string address = argv[2];
    const int count = std::atoi(argv[3]);
    if (count < 1) {
        std::fprintf(stderr, "COUNT must be at least 1\n");
        return 2;
    }

    std::vector<double> roundTrips;
    std::vector<double> callTimes;
    std::map<std::int32_t, int> statuses;
    const auto begin = Clock::now();
    for (int i = 0; i < count; ++i) {
        basVesk::EchoReply reply{};
        const auto start = Clock::now();
        basVesk::PingAddress(address, reply);
        callTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ++statuses[reply.Status];
        if (reply.Status == 0)
            roundTrips.push_back(reply.RoundTripTime);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();

    std::printf("kind %s\n", KindName(basVesk::internal::LastSocketKind()));
    PrintStatuses(statuses);
    if (mode == "rtt") {
        std::printf("median_ms %.3f\n", Median(roundTrips));
    } else if (mode == "silent") {
        std::printf("median_ms %.3f\n", Median(callTimes));
        std::printf("max_ms %.3f\n", *std::max_element(callTimes.begin(), callTimes.end()));
    } else if (mode == "rate") {
        std::printf("per_second %.0f\n", count / seconds);
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    return 0;
}
