// The checker's findings as text for people and as JSON for tools.
#pragma once

#include <string>
#include <vector>

#include "check/checker.h"

namespace velmor::check {

const char* SeverityName(Severity s);  // "error", "warning", "information"

// One finding a line, "INIT.SNX:0x0012: error: message" (with the source's
// line when there is one: "INIT.SNX:0x0012 (game/SNX/INIT.s:7): error: ..."),
// the instruction on the next line, indented; then a count of each severity.
std::string FindingsText(const std::vector<Finding>& findings);

// {"errors": N, "warnings": N, "information": N, "findings": [{"severity",
// "file", "offset", "source", "instruction", "message"}, ...]}; a finding
// without a file, offset or source has null there.
std::string FindingsJson(const std::vector<Finding>& findings);

}  // namespace velmor::check
