// The message catalogues, read at start-up through the platform's files:
// Velmor's texts in Japanese (ja.mo) and the game's texts in English
// (game-en.mo), each from the first of the folders given that holds it (the
// installed data folder, then the build's; in a browser the page's files).
#pragma once

#include <string>
#include <vector>

#include "core/texts.h"
#include "platform/files.h"

namespace velmor::app {

// The catalogue files' names.
inline constexpr const char* kJapaneseCatalogue = "ja.mo";
inline constexpr const char* kGameEnglishCatalogue = "game-en.mo";
// Larger than any catalogue of ours: a file this large is something else.
inline constexpr size_t kMostCatalogueBytes = 4 * 1024 * 1024;

// Reads both catalogues into CurrentTexts() and takes `system` as the
// system's language (and as the language, until the reader's settings say
// otherwise). What went wrong comes back as lines for standard error, and
// the texts then stay in their source language: a damaged catalogue always,
// a missing one only when its language is the one `system` names (the
// game's English is asked for by the reader later, and said then).
std::vector<std::string> LoadCatalogues(platform::Files& files, const std::vector<std::string>& folders,
                                        Language system);

// One catalogue file read from the first folder that holds it; false with
// *problem (naming the file) when it is missing from every folder (and
// *missing) or damaged.
bool ReadCatalogue(platform::Files& files, const std::vector<std::string>& folders,
                   const char* name, Catalogue* into, std::string* problem, bool* missing);

}  // namespace velmor::app
