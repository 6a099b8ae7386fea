#pragma once

// The work codes of the exchanges with the centre. A request carries its own code; the centre's reply carries
// that code plus kReplyOffset when it answered, or kRefused when it refused the request.
namespace WorkCode {
enum : int { kPostalSearch = 2, kVersion = 3, kRealName = 4, kReport = 11, kHistory = 15 };
enum : int { kReplyOffset = 100, kRefused = 999 };
} // namespace WorkCode
