#pragma once

#include "standins/centre/CentreStore.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// The page a dispatcher watches at the centre: the newest reports first, refreshing itself every few
// seconds. UTF-8 HTML; every received text is escaped. `progressOf` gives the state of a report (code page
// 949, "null" while unassigned) from its time of receipt.
std::string RenderDispatcherView(const std::vector<CentreReport>& reports, std::int64_t total, std::time_t now,
                                 const std::function<std::string(std::time_t)>& progressOf);

// A short page that says what went wrong.
std::string RenderProblemPage(const std::string& message);
