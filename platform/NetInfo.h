#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One network adapter with a link-layer (hardware) address.
struct NetAdapter {
    std::string name;
    std::vector<std::uint8_t> hardwareAddress;
    bool loopback = false;
};

enum class AdapterListResult { Ok, NoAdapters, OutOfMemory };

// The machine's adapters in the system's order (interface index). NoAdapters when there is none or the list
// cannot be read; OutOfMemory when the system had no memory for it.
AdapterListResult ListAdapters(std::vector<NetAdapter>& adapters);

// This machine's host name; empty when the system does not tell it.
std::string HostName();

// The first IPv4 address that `host` resolves to, in dotted form; empty when it does not resolve.
std::string ResolveIpv4(const std::string& host);

// The IPv4 addresses of the adapters that are up and not loopback, in the system's order.
std::vector<std::string> AdapterIpv4Addresses();

} // namespace platform
