// The command line of every program (velmor, snxasm, snxdis, snxcheck), read
// the way GNU programs read theirs: long options as `--name VALUE` or
// `--name=VALUE`, an unambiguous prefix of a long name, short options (`-o
// FILE`, `-oFILE`), operands anywhere, `--` ending the options. A usage error
// is one line and a hint, exit code 2.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::cli {

struct KnownOption {
  std::string name;         // the long name, without "--"
  char short_name = 0;      // 0: no short form
  bool takes_value = false;
  // The usage error when the value is missing or empty ("--data needs a
  // folder"); empty: "option '--NAME' needs a value".
  std::string needs = {};
};

// One option as given, by its long name.
struct GivenOption {
  std::string name;
  std::string value;  // empty for an option without a value

  bool operator==(const GivenOption&) const = default;
};

struct ParsedArgs {
  std::vector<GivenOption> options;   // in the order given
  std::vector<std::string> operands;  // the arguments that are not options

  bool operator==(const ParsedArgs&) const = default;
};

// Parses `args` (without the program name). On a usage error returns nothing
// and sets *error to its one line (without the program's name).
std::optional<ParsedArgs> ParseArgs(const std::vector<KnownOption>& known_options,
                                    const std::vector<std::string>& args, std::string* error);

// The exit code of a usage error.
inline constexpr int kUsageExitCode = 2;

// "velmor: MESSAGE\nTry 'velmor --help' for more information.\n"
std::string UsageErrorText(std::string_view program, std::string_view message);

// The text of --version: the program and the project's version, then its
// copyright and licence.
std::string VersionText(std::string_view program);

// Writes `text` to standard output: the exit code of --help and --version,
// 0, or 1 when it could not be written (a closed or full output).
int Print(std::string_view text);

// The project's version ("0.1.0").
const char* ProjectVersion();

}  // namespace velmor::cli
