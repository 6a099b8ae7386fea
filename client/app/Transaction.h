#pragma once

#include <optional>
#include <string>

class PageHost;

// One exchange with the centre the way every page runs it: wait cursor, send, receive, judge. Returns the
// reply when it carries the work code plus 100. Otherwise the user sees the centre's "COMENT" (refusal) or
// "TITLE" (any other failure) text, except when nothing came back at all, which shows nothing.
std::optional<std::string> RunTransaction(PageHost& host, const std::string& request, int workCode);
