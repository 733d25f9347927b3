#include "formats/ini.h"

#include <cctype>

namespace velmor::formats {

namespace {

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

std::optional<std::string> ReadIniValue(std::string_view ini_text, std::string_view section,
                                        std::string_view key) {
  bool in_section = false;
  size_t pos = 0;
  while (pos < ini_text.size()) {
    size_t end = ini_text.find('\n', pos);
    if (end == std::string_view::npos) end = ini_text.size();
    std::string_view line = Trim(ini_text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      in_section = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!in_section) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || !SameName(Trim(line.substr(0, eq)), key)) continue;
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace velmor::formats
