#include "client/env/MachineIdentity.h"

#include <cstdio>

std::optional<std::string> MacAddressText(const std::vector<platform::NetAdapter>& adapters) {
    for (const platform::NetAdapter& adapter : adapters) {
        if (adapter.loopback || adapter.hardwareAddress.size() != 6) {
            continue;
        }
        const auto& a = adapter.hardwareAddress;
        char text[16] = {};
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X\n", a[0], a[1], a[2], a[3], a[4], a[5]);
        return std::string(text);
    }
    return std::nullopt;
}

std::string GetLocalIp() {
    std::string ip = platform::ResolveIpv4(platform::HostName());
    if (ip.starts_with("127.")) {
        const std::vector<std::string> adapterAddresses = platform::AdapterIpv4Addresses();
        if (!adapterAddresses.empty()) {
            ip = adapterAddresses.front();
        }
    }
    return ip;
}
