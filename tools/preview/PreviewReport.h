// The preview's report for its reader: plain English, one line a thing.
#pragma once

#include <string>

#include "engine/Preview.h"

namespace tidemark::preview {

// The report's lines, in the order a run with the Start button's switches
// touches the things, each part under its heading.
std::string FormatPreview(const PreviewReport& report);

}  // namespace tidemark::preview
