// The Japanese catalogue this build compiled from po/ja.po, for tests that
// check Velmor's lines in Japanese.
#pragma once

#include <string>

namespace velmor::testing {

// Reads <build>/locale/ja.mo into the process's texts and shows them in
// Japanese; false with *why when it cannot. Keep the texts as they were
// with a ScopedTexts made before.
bool ShowBuiltJapanese(std::string* why);

}  // namespace velmor::testing
