// The file information of an update server, with the signed statement behind the name, on any bytes: the
// reader never reads past the reply, and what it takes is exactly what a server that meant it would send.
//
// Input: the reply's bytes (cut or padded with zeros to 4,096).
#include "fuzz/FuzzCheck.h"
#include "updater/UpdateBlocks.h"
#include "updater/UpdateStatement.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    updater::Reply reply{};
    std::copy_n(data, std::min(size, reply.size()), reply.begin());
    const std::optional<updater::FileInfo> info = updater::ParseFileInfo(reply);
    if (!info) {
        return 0;
    }
    // Read back from the block it came in, or from one made anew, the information is the same.
    const std::optional<updater::Reply> again = updater::MakeFileInfo(*info);
    FUZZ_CHECK(again.has_value());
    const std::optional<updater::FileInfo> reread = updater::ParseFileInfo(*again);
    FUZZ_CHECK(reread && reread->name == info->name && reread->size == info->size &&
               reread->signature == info->signature && reread->statement == info->statement);
    if (const std::optional<updater::UpdateStatement> statement = updater::ParseStatement(info->statement)) {
        // One text for one statement.
        FUZZ_CHECK(updater::StatementText(*statement) == info->statement);
        FUZZ_CHECK(updater::IsDottedVersion(statement->version) && statement->sha256.size() == 32);
    }
    return 0;
}
