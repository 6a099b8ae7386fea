#pragma once

#include "standins/centre/CentreStore.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// The pages a dispatcher watches at the centre, UTF-8 HTML; every received text is escaped. `progressOf`
// gives the state of a report (code page 949, "null" while unassigned) from its time of receipt.
using ProgressOf = std::function<std::string(std::time_t)>;

// The newest reports first, refreshing itself every few seconds. Long texts are cut short here; each report
// has a page of its own with the whole text. `operatorLink` adds the way to the resident register form.
std::string RenderDispatcherView(const std::vector<CentreReport>& reports, std::int64_t total, std::time_t now,
                                 const ProgressOf& progressOf, bool operatorLink);

// One report, every field whole.
std::string RenderReportPage(const CentreReport& report, std::time_t now, const ProgressOf& progressOf);

// The operator's form that adds a resident to the register, with the outcome of the last entry (UTF-8) above
// it when there is one. `token` goes back with every entry: only a form this server gave out is taken.
std::string RenderResidentForm(const std::string& notice, bool failed, const std::string& token);

// A short page that says what went wrong.
std::string RenderProblemPage(const std::string& message);
