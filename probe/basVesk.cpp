// Placeholder until the probe lands: module variables and routines with
// the right shape, so that the console can link against them.
#include "basVesk.h"

namespace basVesk {

std::string sPingData = kDefaultPingData;
std::int32_t lLenData = 44;
std::int64_t lPingTot = 0;
std::int64_t lTimeOut = 0;
std::int64_t lPingOk = 0;
std::int64_t lMsTot = 0;
std::int32_t lLastMs = 0;
std::string sIpFile;
std::string sLogFile;

void PingAddress(const std::string&, EchoReply& reply) { reply.Status = IP_GENERAL_FAILURE; }
std::optional<std::int32_t> IpTextToAddr(const std::string&) { return std::nullopt; }
std::string SocketProblem() { return {}; }
std::string StatusText(std::int32_t code) { return std::to_string(code) + " (unknown  msg returned)"; }
SocketNotice CheckSocketsStartup(const SocketsReport&) { return {}; }
SocketNotice CheckSocketsCleanup(int) { return {}; }
SocketNotice StartSockets() { return {}; }
bool StartSocketsQuiet() { return true; }
SocketNotice StopSockets() { return {}; }
std::string HostToIp(const std::string&) { return {}; }
std::string BytesToIpText(std::string_view) { return {}; }

}  // namespace basVesk
