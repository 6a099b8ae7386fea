#include "updater/UpdateBlocks.h"

#include "platform/Signature.h"
#include "platform/Tcp.h"
#include "updater/UpdateStatement.h"

#include <algorithm>

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
    const bool signed_ = !info.statement.empty();
    const std::size_t statementSize =
        signed_ ? kStatementMark.size() + info.signature.size() + info.statement.size() + 1 : 0;
    if (info.name.find('\0') != std::string::npos || info.statement.find('\0') != std::string::npos ||
        (signed_ && info.signature.size() != platform::kEd25519SignatureSize) ||
        kNameOffset + info.name.size() + 1 + statementSize > kReplySize) {
        return std::nullopt;
    }
    Reply reply = MakeReply(kFileInfo, info.size);
    unsigned char* at = std::copy(info.name.begin(), info.name.end(), reply.begin() + kNameOffset) + 1;
    if (signed_) {
        at = std::copy(kStatementMark.begin(), kStatementMark.end(), at);
        at = std::copy(info.signature.begin(), info.signature.end(), at);
        std::copy(info.statement.begin(), info.statement.end(), at);
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
    const auto mark = nameEnd + 1;
    const std::size_t signatureSize = platform::kEd25519SignatureSize;
    if (reply.end() - mark <= static_cast<std::ptrdiff_t>(kStatementMark.size() + signatureSize) ||
        !std::equal(kStatementMark.begin(), kStatementMark.end(), mark)) {
        return info;
    }
    const auto signature = mark + static_cast<std::ptrdiff_t>(kStatementMark.size());
    const auto statement = signature + static_cast<std::ptrdiff_t>(signatureSize);
    const auto statementEnd = std::find(statement, reply.end(), 0);
    if (statementEnd != reply.end() && statementEnd != statement) {
        info.signature.assign(signature, statement);
        info.statement.assign(statement, statementEnd);
    }
    return info;
}

} // namespace updater
