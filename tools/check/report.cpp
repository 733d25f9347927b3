#include "check/report.h"

#include <algorithm>

#include "core/json_writer.h"
#include "language/disassembly.h"

namespace velmor::check {

namespace {

size_t Count(const std::vector<Finding>& findings, Severity s) {
  return static_cast<size_t>(std::count_if(findings.begin(), findings.end(),
                                           [s](const Finding& f) { return f.severity == s; }));
}

std::string Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const char* SeverityName(Severity s) {
  switch (s) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Information: return "information";
  }
  return "";
}

std::string FindingsText(const std::vector<Finding>& findings) {
  std::string out;
  for (const Finding& f : findings) {
    std::string where = f.file.empty() ? "data folder" : f.file;
    if (f.offset) where += ":" + language::FormatAddress(static_cast<uint16_t>(*f.offset));
    if (!f.source.empty()) where += " (" + f.source + ")";
    out += where + ": " + SeverityName(f.severity) + ": " + f.message + "\n";
    if (!f.instruction.empty()) out += "    " + f.instruction + "\n";
  }
  out += Plural(Count(findings, Severity::Error), "error", "errors") + ", " +
         Plural(Count(findings, Severity::Warning), "warning", "warnings") + ", " +
         std::to_string(Count(findings, Severity::Information)) + " information\n";
  return out;
}

std::string FindingsJson(const std::vector<Finding>& findings) {
  Json j;
  j.Open('{');
  j.Key("errors");
  j.Number(static_cast<long long>(Count(findings, Severity::Error)));
  j.Key("warnings");
  j.Number(static_cast<long long>(Count(findings, Severity::Warning)));
  j.Key("information");
  j.Number(static_cast<long long>(Count(findings, Severity::Information)));
  j.Key("findings");
  j.Open('[');
  for (const Finding& f : findings) {
    j.Open('{');
    j.Key("severity");
    j.Text(SeverityName(f.severity));
    j.Key("file");
    f.file.empty() ? j.Null() : j.Text(f.file);
    j.Key("offset");
    f.offset ? j.Number(*f.offset) : j.Null();
    j.Key("source");
    f.source.empty() ? j.Null() : j.Text(f.source);
    j.Key("instruction");
    j.Text(f.instruction);
    j.Key("message");
    j.Text(f.message);
    j.Close('}');
  }
  j.Close(']');
  j.Close('}');
  return j.out + "\n";
}

}  // namespace velmor::check
