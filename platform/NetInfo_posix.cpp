#include "platform/NetInfo.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fstream>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

std::string DottedIpv4(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) == nullptr) {
        return {};
    }
    return text;
}

// 0: backed by a device, 1: a permanent address, 2: anything else.
int StabilityRank(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return 2;
    }
    const std::string base = "/sys/class/net/" + name;
    if (access((base + "/device").c_str(), F_OK) == 0) {
        return 0;
    }
    std::ifstream assignType(base + "/addr_assign_type");
    int type = -1;
    return (assignType >> type) && type == 0 ? 1 : 2;
}

} // namespace

AdapterListResult ListAdapters(std::vector<NetAdapter>& adapters) {
    adapters.clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return errno == ENOMEM ? AdapterListResult::OutOfMemory : AdapterListResult::NoAdapters;
    }
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        const size_t length = std::min<size_t>(link->sll_halen, sizeof link->sll_addr);
        NetAdapter adapter;
        adapter.name = it->ifa_name ? it->ifa_name : "";
        adapter.hardwareAddress.assign(link->sll_addr, link->sll_addr + length);
        adapter.loopback = (it->ifa_flags & IFF_LOOPBACK) != 0;
        adapters.push_back(std::move(adapter));
    }
    freeifaddrs(list);
    std::vector<int> ranks;
    for (const NetAdapter& adapter : adapters) {
        ranks.push_back(StabilityRank(adapter.name));
    }
    std::vector<size_t> order(adapters.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ranks[a] < ranks[b]; });
    std::vector<NetAdapter> sorted;
    sorted.reserve(adapters.size());
    for (size_t i : order) {
        sorted.push_back(std::move(adapters[i]));
    }
    adapters = std::move(sorted);
    return adapters.empty() ? AdapterListResult::NoAdapters : AdapterListResult::Ok;
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

std::string ResolveIpv4(const std::string& host) {
    if (host.empty()) {
        return {};
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) {
        return {};
    }
    std::string text = result->ai_addr ? DottedIpv4(result->ai_addr) : std::string();
    freeaddrinfo(result);
    return text;
}

std::vector<std::string> AdapterIpv4Addresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return addresses;
    }
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET || (it->ifa_flags & IFF_LOOPBACK) ||
            !(it->ifa_flags & IFF_UP)) {
            continue;
        }
        std::string text = DottedIpv4(it->ifa_addr);
        if (!text.empty()) {
            addresses.push_back(std::move(text));
        }
    }
    freeifaddrs(list);
    return addresses;
}

} // namespace platform
