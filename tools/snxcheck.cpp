// snxcheck: a game's data folder checked without running it.
//
//   snxcheck [--json] DATA_FOLDER
//
// Walks every scenario reachable from INIT and every other scenario file of
// the folder, and reports what the engine would stumble over at the
// instruction that asks for it. Exit code 1 when there are errors.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/options.h"
#include "check/checker.h"
#include "check/report.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "platform/files.h"
#include "platform/shared/os_files.h"

namespace {

constexpr const char* kUsage =
    "Usage: snxcheck [--json] DATA_FOLDER\n"
    "Checks the scenarios of a game's data folder (SNX, CG, CURSOR, SOUND) and what\n"
    "they ask for, and reports each fault at its FILE.SNX:offset with the\n"
    "instruction there. The exit code is 1 when there are errors, 0 when there are\n"
    "none, 2 for a usage error.\n"
    "\n"
    "      --json     write the findings as JSON instead\n"
    "  -h, --help     show this text\n"
    "      --version  show the version\n";

// A usage error: one line and a hint, exit code 2.
int Usage(const std::string& problem) {
  std::fputs(velmor::cli::UsageErrorText("snxcheck", problem).c_str(), stderr);
  return velmor::cli::kUsageExitCode;
}

bool IsScenarioFile(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext == ".SNX";
}

// The scenario files of the folder's SNX folder (found without regard to
// case, as the engine finds it), as the Shift-JIS names scenarios use.
std::vector<std::string> ScenarioNames(const std::string& data_folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(velmor::platform::ResolvePath(data_folder + "SNX"), ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec) || !IsScenarioFile(it->path())) continue;
    names.push_back(velmor::Utf8ToSjis(it->path().stem().string()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, problem;
  bool json = false;
  auto args = velmor::cli::ParseArgs({{"help", 'h'}, {"version"}, {"json"}},
                                     std::vector<std::string>(argv + 1, argv + argc), &problem);
  if (!args) return Usage(problem);
  for (const velmor::cli::GivenOption& o : args->options) {
    if (o.name == "help") return velmor::cli::Print(kUsage);
    if (o.name == "version") return velmor::cli::Print(velmor::cli::VersionText("snxcheck"));
    json = true;  // "json"
  }
  if (args->operands.size() > 1) return Usage("give one data folder");
  if (args->operands.empty()) return Usage("give a data folder");
  folder = args->operands.front();
  std::error_code ec;
  if (!std::filesystem::is_directory(velmor::platform::ResolvePath(folder), ec)) {
    std::fprintf(stderr, "snxcheck: %s is not a folder\n", folder.c_str());
    return 2;
  }
  folder = velmor::FolderWithSeparator(folder);

  velmor::platform::OsFiles files;
  std::vector<velmor::check::Finding> findings =
      velmor::check::CheckGame(files, folder, ScenarioNames(folder));
  std::string out =
      json ? velmor::check::FindingsJson(findings) : velmor::check::FindingsText(findings);
  std::fwrite(out.data(), 1, out.size(), stdout);
  bool errors = std::any_of(findings.begin(), findings.end(), [](const velmor::check::Finding& f) {
    return f.severity == velmor::check::Severity::Error;
  });
  return errors ? 1 : 0;
}
