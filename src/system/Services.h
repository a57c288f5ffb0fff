// Stopping and deleting Windows services and (un)registering COM servers,
// through the system's own command-line tools.
#pragma once

#include <string>

namespace tidemark {

// Runs `sc stop "name"` and waits for it: true when sc was started and has
// ended, whatever it achieved; false when it cannot be started.
bool StopServiceByName(const std::string& serviceName);

// Runs `sc delete "name"`, with the same result.
bool DeleteServiceByName(const std::string& serviceName);

// When the file is a DLL of this process's architecture that exports
// DllRegisterServer, runs regsvr32 silently on it (with /u to unregister)
// and returns whether regsvr32 was started and has ended. The file is read,
// never loaded: loading it would run its code inside this program.
bool RegisterComServer(const std::string& path, bool doRegister);

// The parameter text for regsvr32. The path is quoted when it holds a
// blank, as paths under "Program Files" do; regsvr32 would otherwise take
// its pieces for separate files.
std::string RegisterComServerParameters(const std::string& path, bool doRegister);

}  // namespace tidemark
