#include "platform/shared/bitmap_font_files.h"

#include <zlib.h>

#include <string_view>

#include "core/texts.h"

namespace velmor::platform {

namespace {

bool Absolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string Folder(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

}  // namespace

std::vector<std::string> BitmapFontFolders(const char* xdg_data_home, const char* home,
                                           const char* xdg_data_dirs) {
  std::vector<std::string> out;
  if (Absolute(xdg_data_home))
    out.push_back(Folder(xdg_data_home) + "fonts/");
  else if (Absolute(home))
    out.push_back(Folder(home) + ".local/share/fonts/");
  if (Absolute(home)) out.push_back(Folder(home) + ".fonts/");
  std::string_view dirs = xdg_data_dirs != nullptr && *xdg_data_dirs != '\0'
                              ? std::string_view(xdg_data_dirs)
                              : std::string_view("/usr/local/share:/usr/share");
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    if (!dir.empty() && dir.front() == '/') out.push_back(Folder(dir) + "fonts/X11/misc/");
    dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
  }
  return out;
}

std::optional<std::vector<uint8_t>> Gunzip(std::span<const uint8_t> bytes, std::string* error) {
  if (bytes.size() < 2 || bytes[0] != 0x1F || bytes[1] != 0x8B)
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
  };
  z_stream z{};
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return fail(Tr("cannot start unpacking"));
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  std::vector<uint8_t> out;
  int status = Z_OK;
  while (status == Z_OK) {
    if (out.size() >= kMaxUnpackedFont) {
      inflateEnd(&z);
      return fail(Fill(Tr("it unpacks to more than %s MiB"), {std::to_string(kMaxUnpackedFont >> 20)}));
    }
    const std::size_t at = out.size();
    out.resize(at + (256u << 10));
    z.next_out = out.data() + at;
    z.avail_out = static_cast<uInt>(out.size() - at);
    status = inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
    // Input used up before the stream's end: the file is cut short.
    if (status == Z_BUF_ERROR || (status == Z_OK && z.avail_in == 0 && z.avail_out != 0)) break;
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) return fail(Tr("its gzip stream is damaged or cut short"));
  return out;
}

std::optional<BitmapFonts> LoadBitmapFonts(Files& files, const std::vector<std::string>& folders,
                                           std::string* why) {
  for (const std::string& folder : folders) {
    const std::string full = folder + kBitmapFullWidthFile, half = folder + kBitmapHalfWidthFile;
    if (!files.Exists(full) || !files.Exists(half)) continue;
    formats::PcfFont fonts[2];
    for (int i = 0; i < 2; ++i) {
      const std::string& path = i == 0 ? full : half;
      std::string error;
      std::optional<std::vector<uint8_t>> bytes = files.ReadFile(path, &error);
      if (bytes) bytes = Gunzip(*bytes, &error);
      using Read = formats::FormatResult<formats::PcfFont>;
      Read font = bytes ? formats::ParsePcf(*bytes).Named(path) : Read(formats::FormatFault{path, error});
      if (!font) {
        if (why) *why = font.fault().Text();
        return std::nullopt;
      }
      fonts[i] = std::move(*font);
    }
    return BitmapFonts{std::move(fonts[0]), std::move(fonts[1])};
  }
  if (why)
    *why = Fill(Tr("no folder of fonts holds %s and %s (Debian's xfonts-shinonome)"),
                {kBitmapFullWidthFile, kBitmapHalfWidthFile});
  return std::nullopt;
}

}  // namespace velmor::platform
