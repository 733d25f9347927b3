#include "platform/shared/compose_cache.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/shared/environment.h"
#include "platform/shared/os_files.h"

namespace velmor::platform {

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(NativePath(path), ec);
}

}  // namespace

std::string ComposeCacheFolder(const char* xcomposecache, const char* xdg_cache_home,
                               const char* home, bool is_root) {
  if (is_root || xcomposecache != nullptr) return {};
  const bool has_home = home != nullptr && home[0] == '/';
  if (has_home && IsFolder(std::string(home) + "/.compose-cache")) return {};
  // Only an absolute $XDG_CACHE_HOME counts; otherwise the home's .cache.
  std::string base;
  if (xdg_cache_home != nullptr && xdg_cache_home[0] == '/') {
    base = xdg_cache_home;
  } else if (has_home) {
    base = std::string(home) + "/.cache";
  } else {
    return {};
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/velmor/compose";
}

bool UseComposeCacheIn(const std::string& folder) {
  return MakeFolders(folder, 0700) && SetEnvironmentDefault("XCOMPOSECACHE", folder.c_str());
}

bool UseComposeCache() {
  const std::string folder = ComposeCacheFolder(std::getenv("XCOMPOSECACHE"),
                                                std::getenv("XDG_CACHE_HOME"),
                                                std::getenv("HOME"), ::geteuid() == 0);
  return !folder.empty() && UseComposeCacheIn(folder);
}

}  // namespace velmor::platform
