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

// The machine's adapters: those backed by a hardware device first, then those with a permanent address, then
// the rest (virtual adapters that draw a new random address at every boot), each group in the system's order
// (interface index). The machine's identity rests on the first one, so it must not change across restarts.
// NoAdapters when there is none or the list cannot be read; OutOfMemory when the system had no memory for it.
AdapterListResult ListAdapters(std::vector<NetAdapter>& adapters);

// This machine's host name; empty when the system does not tell it.
std::string HostName();

// The first IPv4 address that `host` resolves to, in dotted form; empty when it does not resolve.
std::string ResolveIpv4(const std::string& host);

// The IPv4 addresses of the adapters that are up and not loopback, in the system's order.
std::vector<std::string> AdapterIpv4Addresses();

} // namespace platform
