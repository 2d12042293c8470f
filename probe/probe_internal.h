// Probe internals that the tests look at; the console has no use for them.
#pragma once

#include <string>
#include <string_view>

#include "echo_backend.h"

namespace basVesk::internal {

// The socket kind of the last PingAddress call: None when it opened no
// socket (a bad address, a payload too long, no permission).
backend::SocketKind LastSocketKind();

// The single-byte image of a UTF-8 text: a character up to U+00FF becomes
// that byte, any other character one "?" (the console counts characters,
// so the length stays as it counted it), an invalid byte "?".
std::string Latin1Image(std::string_view utf8);

// Those bytes as UTF-8 again.
std::string Utf8FromLatin1(std::string_view bytes);

// What SocketProblem() says when neither socket kind could be opened. The
// probe does not know where the program file lies; the caller puts its
// path in place of kProgramPathMark.
inline constexpr std::string_view kSocketProblemText =
    "sorry, can't send icmp echo requests\n"
    "the system refused both an icmp datagram socket and a raw socket.\n"
    "allow your group to send them:\n"
    "sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n"
    "or give the program the raw-socket capability:\n"
    "sudo setcap cap_net_raw+p {program}";

}  // namespace basVesk::internal
