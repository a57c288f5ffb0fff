// The name of the program's copy of its script in the temporary folder,
// written at start and deleted at close. Pure, for the tools that must tell
// the program's own file from what a script removes.
#pragma once

namespace tidemark {

inline constexpr char kScriptFileName[] = "win.dat";

}  // namespace tidemark
