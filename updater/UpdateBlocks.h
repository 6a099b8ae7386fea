#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class TcpConnection;
}

// The block protocol between the updater and the update server, shared by both ends. Every request is
// 1,024 bytes and every reply 4,096 bytes, whatever the code; integers are 32-bit unsigned little-endian.
namespace updater {

inline constexpr int kUpdatePort = 1472;
inline constexpr std::size_t kRequestSize = 1024;
inline constexpr std::size_t kReplySize = 4096;
// File bytes in one data block: the reply less its code.
inline constexpr std::size_t kBlockData = kReplySize - 4;

enum Code : std::uint32_t {
    kBusy = 99,        // server, greeting: too many connections
    kAskFileInfo = 11, // updater
    kFileInfo = 12,    // server: size, NUL-terminated name, optionally a signed statement
    kStartTransfer = 21,
    kDataBlock = 22, // server: 4,092 bytes of the file
    kLastBlock = 23, // server: size mod 4,092 bytes of the file
    kBlockReceived = 24,
    kTransferDone = 81, // updater
    kApplyAction = 82,  // server: 1 copy over the program's file, 2 run the file
};

inline constexpr std::uint32_t kActionCopy = 1;
inline constexpr std::uint32_t kActionRun = 2;

using Request = std::array<unsigned char, kRequestSize>;
using Reply = std::array<unsigned char, kReplySize>;

std::uint32_t ReadU32(const unsigned char* bytes);
void WriteU32(unsigned char* bytes, std::uint32_t value);

// A request carrying only its code.
Request MakeRequest(std::uint32_t code);
// A reply with `code` and `value` at bytes 4 to 7 (the apply action of 82); the rest zero.
Reply MakeReply(std::uint32_t code, std::uint32_t value = 0);

// Reads one whole reply however the stream cuts it: kReplySize, or -1 when the stream fails, closes or
// stays silent past `timeLimitMs` before the reply is complete.
int ReceiveBlock(platform::TcpConnection& socket, Reply& buffer, long timeLimitMs);

// The number of data blocks for a file of `size` bytes: size div 4,092 + 1, the last one of code 23.
std::uint32_t BlockCount(std::uint32_t size);
// The file bytes in the last block: size mod 4,092 (zero for a multiple of 4,092).
std::size_t LastBlockSize(std::uint32_t size);

struct FileInfo {
    std::uint32_t size = 0;
    std::string name;      // as the server sent it: CP949 bytes, possibly with folders
    std::string signature; // of the statement; both empty when the block carries no signed statement
    std::string statement; // the text of an UpdateStatement
};

// The reply of code 12. Nothing when the name and the statement do not fit the reply.
std::optional<Reply> MakeFileInfo(const FileInfo& info);
// The file information of a reply of code 12. Nothing for another code or a name without its NUL; without a
// statement when none, or none that ends within the reply, follows the name.
std::optional<FileInfo> ParseFileInfo(const Reply& reply);

} // namespace updater
