// The namespaces that probe_wine_tests (Linux) builds around wine, and that
// the Lab cases of probe_tests.exe (Windows) ping from inside: one header
// so that both sides agree on the addresses.
#pragma once

namespace wine_lab {

// Set in the environment of probe_tests.exe when it runs inside the lab.
inline constexpr const char* kVariable = "VESK_WINE_LAB";

// The client's link to a test host that answers no echo request.
inline constexpr const char* kClientAddress = "10.199.1.1/24";
inline constexpr const char* kSilentHostAddress = "10.199.1.2/24";
inline constexpr const char* kSilentHost = "10.199.1.2";

// The client's link to a router whose route to 10.199.2.0/24 is of type
// unreachable, and a host behind it.
inline constexpr const char* kClientToRouterAddress = "10.199.3.1/24";
inline constexpr const char* kRouterAddress = "10.199.3.2/24";
inline constexpr const char* kRouter = "10.199.3.2";
inline constexpr const char* kUnreachableNet = "10.199.2.0/24";
inline constexpr const char* kUnreachableHost = "10.199.2.7";

}  // namespace wine_lab
