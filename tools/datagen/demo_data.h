// The whole demo data folder, made in memory and written out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmor::datagen {

struct DataFile {
  std::string path;  // relative, with '/' between folders, e.g. "CG/KURO.BMP"
  std::vector<uint8_t> bytes;
};

// Every generated file of the data folder (the scenarios in SNX/ come from
// the assembler, not from here).
std::vector<DataFile> MakeDemoData();

// Writes MakeDemoData() under `folder`, creating the subfolders (SNX/
// included, for the assembler step). Throws std::runtime_error naming the
// file that could not be written.
void WriteDemoData(const std::filesystem::path& folder);

}  // namespace velmor::datagen
