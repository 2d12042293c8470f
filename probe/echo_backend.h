// The platform side of the probe: everything that touches sockets, the
// socket layer or the resolver. One implementation per platform
// (echo_linux.cpp, echo_windows.cpp); the rest of the probe stays the same.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "echo_types.h"
#include "icmp6_packet.h"
#include "icmp_packet.h"

namespace basVesk::backend {

// Which kind of ICMP socket an exchange used. Service: the system's own ICMP
// echo service (Windows) opened a handle and chose its sockets itself.
enum class SocketKind { None, Datagram, Raw, Service };

struct EchoOutcome {
    std::int32_t status = 0;
    std::int32_t roundTripMs = 0;
    SocketKind kind = SocketKind::None;
    // Neither socket kind could be opened because the system refused it.
    bool permissionRefused = false;
};

// One echo exchange: open a socket, send one request carrying payload to
// destination, wait at most timeout for its answer, close.
EchoOutcome EchoExchange(const icmp::Addr4& destination, std::span<const std::uint8_t> payload,
                         std::chrono::milliseconds timeout);

// The same over ICMPv6, to a literal that icmp6::Sendable accepts.
EchoOutcome EchoExchange6(const icmp6::Literal& destination, std::span<const std::uint8_t> payload,
                          std::chrono::milliseconds timeout);

// The text as an IPv6 literal, read by the system's own parser, with an
// optional "%zone" naming an existing interface by name or number; nothing
// for any other text.
std::optional<icmp6::Literal> ReadIpv6Literal(const std::string& text);

// Starts the platform's socket layer, asking for version 1.1, and returns
// what it reported. Each report with startupResult 0 is matched by one
// StopSocketLayer.
SocketsReport StartSocketLayer();

// Shuts the socket layer down once; the shutdown call's result, 0 when it
// succeeded.
int StopSocketLayer();

// The first IPv4 address that the resolver lists for name.
std::optional<icmp::Addr4> ResolveFirstIPv4(const std::string& name);

// The first IPv6 address that the resolver lists for name, as the system
// writes it, with its zone when it has one.
std::optional<std::string> ResolveFirstIPv6(const std::string& name);

}  // namespace basVesk::backend
