// The three readers of what comes back (raw packet, datagram message,
// queued error) on any bytes, and a well-formed reply built from the bytes.
// A packet is taken as our reply only when it is one: from the address we
// sent to, with our sequence number, and over a raw socket with our
// identifier and a checksum that holds; one changed byte makes it not ours.
//
// Input: 4 bytes destination, 2 identifier, 2 sequence, then the packet.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "basVesk.h"
#include "fuzz_check.h"
#include "icmp_packet.h"

using namespace basVesk;
using namespace basVesk::icmp;

namespace {

bool knownStatus(std::int32_t status) { return StatusText(status).find("unknown") == std::string::npos; }

void checkVerdict(const Verdict& v)
{
    if (v.kind == Verdict::NotOurs)
        FUZZ_CHECK(v.status == 0);
    if (v.kind == Verdict::Reply)
        FUZZ_CHECK(v.status == IP_SUCCESS);
    if (v.kind == Verdict::Error)
        FUZZ_CHECK(v.status != IP_SUCCESS && knownStatus(v.status));
}

void putBe16(std::vector<std::uint8_t>& p, std::size_t at, std::uint16_t v)
{
    p[at] = std::uint8_t(v >> 8);
    p[at + 1] = std::uint8_t(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    Sent sent;
    sent.destination = {data[0], data[1], data[2], data[3]};
    sent.identifier = std::uint16_t(data[4] << 8 | data[5]);
    sent.sequence = std::uint16_t(data[6] << 8 | data[7]);
    const Bytes rest(data + 8, size - 8);

    const Verdict raw = ReadRawPacket(rest, sent);
    checkVerdict(raw);
    if (raw.kind == Verdict::Reply) {
        FUZZ_CHECK(rest[12] == sent.destination[0] && rest[13] == sent.destination[1] &&
                   rest[14] == sent.destination[2] && rest[15] == sent.destination[3]);
    }

    const Addr4 source = rest.size() >= 4 ? Addr4{rest[0], rest[1], rest[2], rest[3]} : sent.destination;
    const Verdict datagram = ReadDatagramPacket(rest, source, sent);
    checkVerdict(datagram);
    if (datagram.kind == Verdict::Reply)
        FUZZ_CHECK(source == sent.destination && rest[0] == kTypeEchoReply &&
                   (rest[6] << 8 | rest[7]) == sent.sequence);
    FUZZ_CHECK(datagram.kind != Verdict::Error);

    if (rest.size() >= 4) {
        QueuedError error;
        error.origin = QueuedError::Origin(rest[0] % 3);
        error.errnoValue = rest[1];
        error.type = rest[2];
        error.code = rest[3];
        error.quoted = rest.subspan(4);
        const Verdict queued = ReadQueuedError(error, sent);
        checkVerdict(queued);
        if (error.origin == QueuedError::Local)
            FUZZ_CHECK(queued.kind == Verdict::Error && queued.status == StatusForSendErrno(error.errnoValue));
        if (error.origin == QueuedError::Other)
            FUZZ_CHECK(queued.kind == Verdict::NotOurs);
        if (queued.kind == Verdict::Error && error.origin == QueuedError::Icmp)
            FUZZ_CHECK(error.quoted[0] == kTypeEchoRequest && (error.quoted[6] << 8 | error.quoted[7]) == sent.sequence);
    }

    // Our reply, carrying the bytes as its data, behind a 20-byte IPv4 header.
    std::vector<std::uint8_t> message = BuildEchoRequest(sent.identifier, sent.sequence, rest.first(std::min<std::size_t>(rest.size(), 1400)));
    message[0] = kTypeEchoReply;
    putBe16(message, 2, 0);
    putBe16(message, 2, Checksum(message));
    std::vector<std::uint8_t> packet(kMinIpHeaderSize, 0);
    packet[0] = 0x45;
    putBe16(packet, 2, std::uint16_t(kMinIpHeaderSize + message.size()));
    packet[8] = 64;
    packet[9] = 1;
    std::copy(sent.destination.begin(), sent.destination.end(), packet.begin() + 12);
    packet[16] = 127, packet[19] = 1;
    packet.insert(packet.end(), message.begin(), message.end());
    FUZZ_CHECK(ReadRawPacket(packet, sent).kind == Verdict::Reply);
    FUZZ_CHECK(ReadDatagramPacket(message, sent.destination, sent).kind == Verdict::Reply);

    const std::size_t at = kMinIpHeaderSize + sent.sequence % message.size();
    packet[at] ^= std::uint8_t(sent.identifier | 1);
    FUZZ_CHECK(ReadRawPacket(packet, sent).kind == Verdict::NotOurs);
    return 0;
}
