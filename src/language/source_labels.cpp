#include "language/source_labels.h"

namespace velmor::language {

SourceLabels AssembleLabels(std::string_view source, const std::string& path,
                            const IncludeReader& read) {
  AssemblyResult r = Assemble(source, path, read);
  SourceLabels labels;
  if (!r.ok()) {
    labels.error = r.errors.front().ToString();
    return labels;
  }
  labels.labels = std::move(r.labels);
  labels.bytes = std::move(r.bytes);
  labels.lines = std::move(r.lines);
  labels.work_names = std::move(r.work_names);
  labels.flag_names = std::move(r.flag_names);
  return labels;
}

}  // namespace velmor::language
