// A removal script drafted from two snapshots: what the second has that the
// first has not, written in the sections the program reads, with paths under
// the folder macros. Every entry is read back with the program's own reader
// and the draft is checked with the program's own checker: an entry that
// the program would read otherwise, or refuse, is written as a comment with
// the reason, so that a draft never says what the program does not do.
// Names come from the captured program and may hold any byte: in comments
// line breaks, zero bytes, other control bytes and bytes that are no code
// page 949 text are written as "<0D>" (and '<' as "<3C>"), so that every
// line of the draft is exactly one line for the program's reader.
#pragma once

#include <string>
#include <vector>

#include "capture/Snapshot.h"

namespace tidemark::capture {

// The script's bytes: code page 949, CR LF line ends.
std::string DraftScript(const Snapshot& before, const Snapshot& after);

// Why two snapshots cannot be compared (other machines, other views), or
// empty when they can.
std::string MismatchBetween(const Snapshot& before, const Snapshot& after);

// The path with its longest leading folder that is the folder of a macro
// replaced by that macro ("C:\Program Files (x86)\x" -> "%PROGRAM_FILES%\x").
// Among macros of the same folder the first one in the snapshot's order wins.
std::string WithFolderMacro(const std::string& path, const std::vector<MacroFolder>& macros);

}  // namespace tidemark::capture
