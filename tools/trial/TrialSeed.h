// Seeding a sandbox for a trial (Windows): what each entry of the script
// names, as an installation of the target would leave it, and beside each a
// near miss that the run must leave alone.
#pragma once

#include <cstdio>
#include <string>

namespace tidemark::trial {

// `dummyProgram` is copied under each [PROCESS] image name into
// `processFolder` and started there. Entries that the Start button does not
// run, or that the program refuses, get nothing. Prints one line per seeded
// thing to `log`. False when the script names nothing that can be seeded.
bool SeedInstallation(const std::string& script, const std::string& dummyProgram, const std::string& processFolder,
                      std::FILE* log);

}  // namespace tidemark::trial
