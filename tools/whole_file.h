// Whole-file reading and writing for the command-line tools.
#pragma once

#include <optional>
#include <string>

namespace velmor::tools {

// The bytes of a file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes the bytes to a file ("-" is standard output); false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace velmor::tools
