// The whole demo data folder, made in memory and written out.
#pragma once

#include <filesystem>
#include <vector>

#include "datagen/fixtures/data_folder.h"

namespace velmor::datagen {

// Every generated file of the data folder: the fixture files and the art
// (the scenarios in SNX/ come from the assembler, not from here).
std::vector<DataFile> MakeDemoData();


}  // namespace velmor::datagen
