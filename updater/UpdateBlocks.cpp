#include "updater/UpdateBlocks.h"

#include "platform/Signature.h"
#include "platform/Tcp.h"

#include <algorithm>
#include <cstring>

namespace updater {
namespace {

constexpr std::size_t kSizeOffset = 4;
constexpr std::size_t kNameOffset = 8;

} // namespace

std::uint32_t ReadU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteU32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

Request MakeRequest(std::uint32_t code) {
    Request request{};
    WriteU32(request.data(), code);
    return request;
}

Reply MakeReply(std::uint32_t code, std::uint32_t value) {
    Reply reply{};
    WriteU32(reply.data(), code);
    WriteU32(reply.data() + kSizeOffset, value);
    return reply;
}

int ReceiveBlock(platform::TcpConnection& socket, Reply& buffer, long timeLimitMs) {
    return socket.ReceiveExact(buffer.data(), buffer.size(), timeLimitMs) == platform::TcpConnection::Result::Ok
               ? static_cast<int>(kReplySize)
               : -1;
}

std::uint32_t BlockCount(std::uint32_t size) {
    return size / kBlockData + 1;
}

std::size_t LastBlockSize(std::uint32_t size) {
    return size % kBlockData;
}

std::optional<Reply> MakeFileInfo(const FileInfo& info) {
    const std::size_t signatureSize = info.signature.empty() ? 0 : kSignatureMark.size() + info.signature.size();
    if (info.name.find('\0') != std::string::npos || kNameOffset + info.name.size() + 1 + signatureSize > kReplySize) {
        return std::nullopt;
    }
    Reply reply = MakeReply(kFileInfo, info.size);
    unsigned char* at = std::copy(info.name.begin(), info.name.end(), reply.begin() + kNameOffset) + 1;
    if (!info.signature.empty()) {
        at = std::copy(kSignatureMark.begin(), kSignatureMark.end(), at);
        std::copy(info.signature.begin(), info.signature.end(), at);
    }
    return reply;
}

std::optional<FileInfo> ParseFileInfo(const Reply& reply) {
    if (ReadU32(reply.data()) != kFileInfo) {
        return std::nullopt;
    }
    const auto nameBegin = reply.begin() + kNameOffset;
    const auto nameEnd = std::find(nameBegin, reply.end(), 0);
    if (nameEnd == reply.end()) {
        return std::nullopt;
    }
    FileInfo info;
    info.size = ReadU32(reply.data() + kSizeOffset);
    info.name.assign(nameBegin, nameEnd);
    const std::size_t after = static_cast<std::size_t>(nameEnd - reply.begin()) + 1;
    const std::size_t signatureSize = platform::kEd25519SignatureSize;
    if (after + kSignatureMark.size() + signatureSize <= kReplySize &&
        std::memcmp(reply.data() + after, kSignatureMark.data(), kSignatureMark.size()) == 0) {
        const auto* signature = reinterpret_cast<const char*>(reply.data() + after + kSignatureMark.size());
        info.signature.assign(signature, signatureSize);
    }
    return info;
}

} // namespace updater
