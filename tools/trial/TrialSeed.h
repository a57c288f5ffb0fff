// Seeding a sandbox for a trial (Windows): what each entry of the script
// names, as an installation of the target would leave it, and beside each a
// near miss that the run must leave alone.
#pragma once

#include <cstdio>
#include <string>

namespace tidemark::trial {

// `dummyProgram` (this tool) is copied under each [PROCESS] image name into
// `processFolder` and started there. Entries that the Start button does not
// run, or that the program refuses, get nothing. With `holdFiles`, each file
// seeded for a [FILE] entry is held open without delete sharing by a
// process of `dummyProgram` (not one the script names), as a browser holds
// its add-on's DLL: the run cannot delete it, only schedule it for the
// restart. Prints one line per seeded thing to `log`. False when the script
// names nothing that can be seeded; throws when a file cannot be held.
bool SeedInstallation(const std::string& script, const std::string& dummyProgram, const std::string& processFolder,
                      bool holdFiles, std::FILE* log);

// The holder's side (tidemark-trial hold FILE): opens the file without
// FILE_SHARE_DELETE, tells the seeding that it holds it and keeps it open
// until the process is ended. Returns only when the file cannot be opened.
void HoldFile(const std::string& path);

}  // namespace tidemark::trial
