#include "asm/source_labels.h"

#include "asm/assembler.h"

namespace velmor::assembly {

app::LabelAssembler DebuggerLabels() {
  return [](std::string_view source, const std::string& path, const app::IncludeReader& read) {
    AssemblyResult r = Assemble(source, path, read);
    app::SourceLabels labels;
    if (!r.ok()) {
      labels.error = r.errors.front().ToString();
      return labels;
    }
    labels.labels = std::move(r.labels);
    labels.bytes = std::move(r.bytes);
    return labels;
  };
}

}  // namespace velmor::assembly
