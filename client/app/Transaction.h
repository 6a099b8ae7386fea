#pragma once

#include <optional>
#include <string>

class PageHost;

// The text shown when an exchange leaves nothing else to show: no reply at all, or a failed reply without
// the centre's own text.
inline constexpr const char* kNoAnswerMessage = "MSG_Server_NoAnswer";
// The text shown when the centre's https address answered with a certificate that could not be verified.
inline constexpr const char* kUntrustedMessage = "MSG_Server_Untrusted";

// One exchange with the centre the way every page runs it: wait cursor, send, receive, judge. Returns the
// reply when it carries the work code plus 100. Otherwise the user sees the centre's "COMENT" (refusal) or
// "TITLE" (any other failure) text, and where there is none, or no reply came back at all, the text-table
// message `noAnswerKey` (or, when the centre could not be verified, kUntrustedMessage): no failure is ever
// silent.
// The transfer runs off the user-interface thread: the windows keep painting, user input is dropped until it
// has ended, and the call returns only then.
std::optional<std::string> RunTransaction(PageHost& host, const std::string& request, int workCode,
                                          const char* noAnswerKey = kNoAnswerMessage);
