// Message catalogues compiled by msgfmt (.mo files), read from bytes: the
// magic number in either byte order, the revision, the count of texts and
// the offsets of the two tables (each text's length and offset), the texts
// themselves. The hash table is not needed to look a text up and is not
// read. Every length and offset is checked against the bytes there are, so
// a damaged catalogue is a fault and never a read past its end.
#pragma once

#include <cstdint>
#include <span>

#include "core/texts.h"
#include "formats/result.h"

namespace velmor::formats {

// The catalogue's texts. The header (the empty source text) is not one of
// them, but its charset must be UTF-8 when it names one. Plural forms keep
// their first form (the singular); a context ("ctx\4text") stays part of
// the source text.
FormatResult<Catalogue> ReadMoCatalogue(std::span<const uint8_t> bytes);

}  // namespace velmor::formats
