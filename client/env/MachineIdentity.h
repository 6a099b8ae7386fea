#pragma once

#include "platform/NetInfo.h"

#include <optional>
#include <string>
#include <vector>

// The hardware address text that binds the person store to this machine: the 6 bytes of the first adapter
// that is not the loopback and has a 6-byte address, as 12 upper-case hex digits and a line feed (the line
// feed is part of what gets encrypted). nullopt when no adapter qualifies.
std::optional<std::string> MacAddressText(const std::vector<platform::NetAdapter>& adapters);

// This machine's IPv4 address in dotted form, sent with every report; empty when the host name does not
// resolve. A host name that resolves to the loopback (usual on Linux) gives way to the first address of an
// adapter that is up, since the loopback tells the centre nothing.
std::string GetLocalIp();
