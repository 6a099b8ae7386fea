#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

// What a publisher signs for one file of an update: which file it is, which version it brings, how large it
// is, what the updater is to do with it and the SHA-256 of its bytes. It travels as a short text whose first
// line is a fixed context, so that a signature made for anything else never passes for one.
struct UpdateStatement {
    std::string name;    // as announced in the file information: CP949, exactly as sent
    std::string version; // dotted digits, as the centre announces versions ("1.0.0.1")
    std::uint32_t size = 0;
    std::uint32_t action = 0;
    std::string sha256; // 32 bytes
};

// Marks a signed file information: behind the name's NUL come this mark, the 64-byte Ed25519 signature and
// the statement text up to its own NUL.
inline constexpr std::string_view kStatementMark = "SIG2";

// The text that is signed, one "key=value" line per field after the context line.
std::string StatementText(const UpdateStatement& statement);
// The statement of a text written by StatementText; nothing for any other text.
std::optional<UpdateStatement> ParseStatement(std::string_view text);

// Digits in dot-separated groups, at most 32 bytes: "1.0.0.1".
bool IsDottedVersion(std::string_view version);
// Whether `version` is above the installed one, by the rule of the client's version check: the texts compare
// byte by byte, and an empty installed version counts as "1.0.0.0".
bool IsNewerVersion(std::string_view version, std::string_view installed);

} // namespace updater
