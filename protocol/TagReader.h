#pragma once

#include "protocol/WorkCode.h"

#include <string>

// Reads fields of a reply text by tag name. Keeps no state: a walk through a reply lives in the caller's
// position variable. Positions are byte indices into the text.
class TagReader {
public:
    // Finds the value of the first element `name` at or after `start`. Returns 1 and sets `start` to the
    // first byte of the value and `end` to where its closing tag begins (-1 when unclosed); returns -1 and
    // sets `start` to -1 when there is no such element.
    int FindTag(const std::string& text, const std::string& name, int& start, int& end) const;

    // The trimmed value of the first element `name` at or after `position`. Leaves `position` where that
    // element's closing tag begins: 0 when the element is missing, -1 when it is not closed.
    std::string GetTagValue(const std::string& text, const std::string& name, int& position) const;

    // The answers of CheckWork.
    static constexpr int kAnswered = 1;
    static constexpr int kRefused = WorkCode::kRefused;
    static constexpr int kNotAnswered = 0;

    // kAnswered when the reply carries the work code plus 100, kRefused (999) when the centre refused it,
    // otherwise kNotAnswered.
    int CheckWork(const std::string& text, int workCode) const;
};
