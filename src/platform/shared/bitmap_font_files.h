// Where the 16-dot bitmap face's files are, and their bytes unpacked. X11
// bitmap fonts live in the X font folders (Debian's under
// /usr/share/fonts/X11/misc), each file compressed with gzip.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/pcf.h"
#include "platform/files.h"

namespace velmor::platform {

// The files of the full-width face (JIS X 0208) and the half-width one
// (JIS X 0201), both bold, 16 dots high.
constexpr const char* kBitmapFullWidthFile = "shnmk16b.pcf.gz";
constexpr const char* kBitmapHalfWidthFile = "shnm8x16rb.pcf.gz";

// The folders looked in, in order: the player's own font folders
// ($XDG_DATA_HOME/fonts, else ~/.local/share/fonts; ~/.fonts), then each of
// $XDG_DATA_DIRS (/usr/local/share:/usr/share when unset) with fonts/X11/misc.
// Each ends with '/'. Null arguments count as unset; relative paths do
// not count.
std::vector<std::string> BitmapFontFolders(const char* xdg_data_home, const char* home,
                                           const char* xdg_data_dirs);

// The most a font file may unpack to: the largest 16-dot face is a few
// megabytes.
constexpr std::size_t kMaxUnpackedFont = 32u << 20;

// The bytes of a gzip file unpacked (bytes that do not begin as gzip does
// are given back as they are: a font file that was never packed). Nothing,
// with the reason in *error, when the stream is damaged or unpacks to more
// than kMaxUnpackedFont.
std::optional<std::vector<uint8_t>> Gunzip(std::span<const uint8_t> bytes, std::string* error);

struct BitmapFonts {
  formats::PcfFont full_width;
  formats::PcfFont half_width;
};

// Both files from the first of `folders` that holds both, read through
// `files`, unpacked and parsed. Nothing, with one line for the player in
// *why (which file, what is wrong, which package brings them), when no
// folder has them or they are damaged.
std::optional<BitmapFonts> LoadBitmapFonts(Files& files, const std::vector<std::string>& folders,
                                           std::string* why);

}  // namespace velmor::platform
