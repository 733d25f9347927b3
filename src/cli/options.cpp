#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdio>

#include "core/texts.h"

#ifndef VELMOR_VERSION
#define VELMOR_VERSION "0"
#endif

namespace velmor::cli {

namespace {

// getopt_long answers a long option with kLongBase + its index, a short one
// with its letter, an operand with 1 (the optstring starts with '-', which
// keeps the operands in their places), a missing value with ':'.
constexpr int kLongBase = 256;

std::string NeedsValue(const KnownOption& known) {
  return known.needs.empty() ? Fill(Tr("option '--%s' needs a value"), {known.name})
                             : std::string(Tr(known.needs.c_str()));
}

// The message for a long option getopt_long did not know (`given` is the
// whole argument, "--name" or "--name=value").
std::string UnknownLongOption(const std::vector<KnownOption>& known_options, const std::string& given) {
  const std::string name = given.substr(2, given.find('=') - 2);
  std::vector<std::string> matches;
  for (const KnownOption& known : known_options)
    if (known.name.compare(0, name.size(), name) == 0) matches.push_back("'--" + known.name + "'");
  if (matches.size() < 2) return Fill(Tr("unrecognized option '--%s'"), {name});
  std::string all;
  for (const std::string& m : matches) all += (all.empty() ? "" : ", ") + m;
  return Fill(Tr("option '--%s' is ambiguous; possibilities: %s"), {name, all});
}

struct Getopt {
  std::vector<std::string> storage;  // argv's strings, owned
  std::vector<char*> argv;
  std::vector<option> longs;
  std::string shorts = "-:";
};

Getopt Prepare(const std::vector<KnownOption>& known_options, const std::vector<std::string>& args) {
  Getopt g;
  g.storage.reserve(args.size() + 1);
  g.storage.push_back("program");
  g.storage.insert(g.storage.end(), args.begin(), args.end());
  for (std::string& s : g.storage) g.argv.push_back(s.data());
  g.argv.push_back(nullptr);
  for (size_t i = 0; i < known_options.size(); ++i) {
    const KnownOption& known = known_options[i];
    g.longs.push_back({known.name.c_str(), known.takes_value ? required_argument : no_argument,
                       nullptr, kLongBase + static_cast<int>(i)});
    if (known.short_name != 0) {
      g.shorts += known.short_name;
      if (known.takes_value) g.shorts += ':';
    }
  }
  g.longs.push_back({nullptr, 0, nullptr, 0});
  return g;
}

// The option getopt_long's answer `c` names, or nothing.
const KnownOption* KnownOptionOf(const std::vector<KnownOption>& known_options, int c) {
  if (c >= kLongBase && c - kLongBase < static_cast<int>(known_options.size()))
    return &known_options[static_cast<size_t>(c - kLongBase)];
  auto it = std::find_if(known_options.begin(), known_options.end(),
                         [c](const KnownOption& s) { return s.short_name != 0 && s.short_name == c; });
  return it == known_options.end() ? nullptr : &*it;
}

// What getopt_long's '?' means: an unknown or ambiguous long option, a value
// given to an option that takes none, or an unknown letter.
std::string Refused(const std::vector<KnownOption>& known_options, const Getopt& g) {
  if (optopt >= kLongBase) {
    const KnownOption* known = KnownOptionOf(known_options, optopt);
    return Fill(Tr("option '--%s' takes no value"), {known ? known->name : std::string("?")});
  }
  if (optopt != 0) return Fill(Tr("invalid option -- '%s'"), {std::string(1, static_cast<char>(optopt))});
  const std::string given = optind > 0 ? g.storage[static_cast<size_t>(optind - 1)] : "";
  if (given.rfind("--", 0) == 0) return UnknownLongOption(known_options, given);
  return Fill(Tr("invalid option '%s'"), {given});
}

}  // namespace

std::optional<ParsedArgs> ParseArgs(const std::vector<KnownOption>& known_options,
                                    const std::vector<std::string>& args, std::string* error) {
  Getopt g = Prepare(known_options, args);
  auto fail = [error](std::string why) -> std::optional<ParsedArgs> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  ParsedArgs parsed;
  optind = 0;  // a fresh start: glibc forgets the last command line it read
  opterr = 0;  // the messages are ours
  const int argc = static_cast<int>(g.argv.size() - 1);
  for (;;) {
    const int c = getopt_long(argc, g.argv.data(), g.shorts.c_str(), g.longs.data(), nullptr);
    if (c == -1) break;
    if (c == 1) {
      parsed.operands.emplace_back(optarg);
      continue;
    }
    if (c == '?') return fail(Refused(known_options, g));
    const KnownOption* known = KnownOptionOf(known_options, c == ':' ? optopt : c);
    if (known == nullptr) return fail(Refused(known_options, g));
    if (c == ':' || (known->takes_value && (optarg == nullptr || *optarg == '\0')))
      return fail(NeedsValue(*known));
    parsed.options.push_back({known->name, known->takes_value ? optarg : ""});
  }
  // After "--": the rest are operands, whatever they look like.
  for (int i = optind; i < argc; ++i) parsed.operands.emplace_back(g.argv[static_cast<size_t>(i)]);
  return parsed;
}

std::string UsageErrorText(std::string_view program, std::string_view message) {
  std::string p(program);
  return p + ": " + std::string(message) + "\n" +
         Fill(Tr("Try '%s --help' for more information."), {p}) + "\n";
}

int Print(std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0
             ? 0
             : 1;
}

const char* ProjectVersion() { return VELMOR_VERSION; }

std::string VersionText(std::string_view program) {
  return std::string(program) + " " + VELMOR_VERSION +
         "\nCopyright (C) 2026 The Velmor developers\n"
         "License MIT: <https://opensource.org/licenses/MIT>\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace velmor::cli
