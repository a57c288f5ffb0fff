#include "engine/ProtectedKeys.h"

#include <optional>
#include <vector>

#include "engine/EntryVerdicts.h"
#include "engine/RegistryEntries.h"
#include "system/Cp949Text.h"

namespace tidemark {

namespace {

enum class Roots { User, Machine, Both };

struct ProtectedKey {
  Roots roots;
  std::string_view path;  // below the root, one backslash between components
  // Also protected below "Software\WOW6432Node", where a 32-bit program on
  // 64-bit Windows finds the same key of its own registry view.
  bool bothViews;
};

// "CurrentControlSet" here also stands for ControlSet001, ControlSet002 and
// so on: CurrentControlSet is a link to one of them, so each spelling
// reaches the same kind of key.
constexpr std::string_view kControlSet = "CurrentControlSet";

// The keys that the rules below do not already cover by their place.
constexpr ProtectedKey kProtectedKeys[] = {
    // The standard keys directly below HKEY_CURRENT_USER.
    {Roots::User, "AppEvents", false},
    {Roots::User, "Console", false},
    {Roots::User, "Control Panel", false},
    {Roots::User, "Environment", false},
    {Roots::User, "EUDC", false},
    {Roots::User, "Keyboard Layout", false},
    {Roots::User, "Network", false},
    {Roots::User, "Printers", false},
    {Roots::User, "Software", false},
    {Roots::User, "System", false},
    {Roots::User, "Volatile Environment", false},
    // The standard keys directly below HKEY_LOCAL_MACHINE.
    {Roots::Machine, "BCD00000000", false},
    {Roots::Machine, "HARDWARE", false},
    {Roots::Machine, "SAM", false},
    {Roots::Machine, "SECURITY", false},
    {Roots::Machine, "SOFTWARE", false},
    {Roots::Machine, "SYSTEM", false},
    // The services, drivers and configuration of Windows.
    {Roots::Machine, "SYSTEM\\CurrentControlSet", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Services", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Control", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Enum", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Hardware Profiles", false},
    {Roots::Machine, "SYSTEM\\CurrentControlSet\\Policies", false},
    // Shared keys of many programs and of Windows, under both roots.
    {Roots::Both, "Software\\WOW6432Node", false},
    {Roots::Both, "Software\\Microsoft", true},
    {Roots::Both, "Software\\Classes", true},
    {Roots::Both, "Software\\Policies", true},
    {Roots::Both, "Software\\Microsoft\\Windows", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
    {Roots::Both, "Software\\Classes\\CLSID", true},
    {Roots::Both, "Software\\Classes\\Interface", true},
    {Roots::Both, "Software\\Classes\\TypeLib", true},
    {Roots::Both, "Software\\Classes\\AppID", true},
    {Roots::Both, "Software\\Microsoft\\Windows NT", true},
    {Roots::Both, "Software\\Microsoft\\Windows NT\\CurrentVersion", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Management", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", true},
    {Roots::Both, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", true},
    {Roots::Both, "Software\\Microsoft\\Internet Explorer", true},
};

// The lists of COM registrations below a classes key. Each entry is one
// class, interface, type library or application, judged by its file.
constexpr std::string_view kComLists[] = {"CLSID", "Interface", "TypeLib", "AppID"};

// Classes that Windows registers for its own file types, folders, protocols
// and shared lists. Every name that begins with "." (a file type) and "*"
// (every file) count as well.
constexpr std::string_view kWindowsClasses[] = {
    "AllFilesystemObjects",
    "AppID",
    "Applications",
    "batfile",
    "CLSID",
    "cmdfile",
    "comfile",
    "Component Categories",
    "CompressedFolder",
    "cplfile",
    "DesktopBackground",
    "Directory",
    "DirectShow",
    "dllfile",
    "Drive",
    "exefile",
    "file",
    "FileType",
    "Folder",
    "ftp",
    "htafile",
    "htmlfile",
    "http",
    "https",
    "inffile",
    "inifile",
    "Installer",
    "Interface",
    "InternetShortcut",
    "JSEFile",
    "jsfile",
    "Launcher.SystemSettings",
    "library-ms",
    "lnkfile",
    "Local Settings",
    "mailto",
    "Media Type",
    "MediaFoundation",
    "MIME",
    "mscfile",
    "ms-settings",
    "ms-windows-store",
    "Msi.Package",
    "Msi.Patch",
    "Network",
    "ocxfile",
    "piffile",
    "Printers",
    "Protocols",
    "regedit",
    "regfile",
    "scrfile",
    "search-ms",
    "SearchFolder",
    "SystemFileAssociations",
    "sysfile",
    "txtfile",
    "TypeLib",
    "Unknown",
    "VBEFile",
    "VBSFile",
    "WOW6432Node",
    "WSFFile",
    "WSHFile",
};

// The verbs that Windows puts under the "shell" key of its classes; a verb
// of another name there is a program's own.
constexpr std::string_view kWindowsVerbs[] = {
    "cmd",        "edit",          "Enqueue",   "explore", "find",       "open",    "openas", "opennewprocess",
    "opennewtab", "opennewwindow", "pintohome", "play",    "Powershell", "preview", "print",  "printto",
    "properties", "runas",         "runasuser",
};

// Services of Windows that their name alone reveals, where no machine can
// be asked (the checker). On a machine every other service is judged by the
// file it runs.
constexpr std::string_view kWindowsServices[] = {
    "ACPI",
    "Afd",
    "Appinfo",
    "AppXSvc",
    "AudioEndpointBuilder",
    "Audiosrv",
    "BFE",
    "BITS",
    "CNG",
    "CryptSvc",
    "DcomLaunch",
    "Dhcp",
    "disk",
    "Dnscache",
    "EventLog",
    "EventSystem",
    "FltMgr",
    "gpsvc",
    "HTTP",
    "i8042prt",
    "iphlpsvc",
    "kbdclass",
    "KeyIso",
    "KSecDD",
    "LanmanServer",
    "LanmanWorkstation",
    "LSM",
    "mouclass",
    "mountmgr",
    "mpssvc",
    "mrxsmb",
    "msiserver",
    "NDIS",
    "NetBT",
    "Netlogon",
    "Netman",
    "netprofm",
    "NlaSvc",
    "nsi",
    "Ntfs",
    "partmgr",
    "pci",
    "PlugPlay",
    "Power",
    "ProfSvc",
    "rdbss",
    "RpcEptMapper",
    "RpcSs",
    "SamSs",
    "Schedule",
    "seclogon",
    "SecurityHealthService",
    "SENS",
    "ShellHWDetection",
    "Spooler",
    "srv2",
    "SysMain",
    "Tcpip",
    "Tcpip6",
    "Tdx",
    "TermService",
    "Themes",
    "TrustedInstaller",
    "UserManager",
    "volmgr",
    "volsnap",
    "VSS",
    "W32Time",
    "Wcmsvc",
    "WdFilter",
    "WdNisSvc",
    "WinDefend",
    "WinHttpAutoProxySvc",
    "Winmgmt",
    "WlanSvc",
    "wscsvc",
    "WSearch",
    "wuauserv",
};

// Keys one level below a child of CurrentVersion that are themselves lists
// of many programs' entries; the entries below them stay deletable.
struct SharedList {
  std::string_view parent;
  std::string_view list;
};
constexpr SharedList kSharedGrandchildLists[] = {
    {"App Management", "ARPCache"},
    {"Authentication", "Credential Provider Filters"},
    {"Authentication", "Credential Providers"},
    {"Ext", "PreApproved"},
    {"Ext", "Settings"},
    {"Ext", "Stats"},
    {"Internet Settings", "ZoneMap"},
    {"Internet Settings", "Zones"},
    {"Policies", "ActiveDesktop"},
    {"Policies", "Associations"},
    {"Policies", "Attachments"},
    {"Policies", "Explorer"},
    {"Policies", "NonEnum"},
    {"Policies", "System"},
    {"Shell Extensions", "Approved"},
    {"Shell Extensions", "Blocked"},
    {"Shell Extensions", "Cached"},
    {"Winlogon", "GPExtensions"},
    {"Winlogon", "Notify"},
};

// Children of CurrentVersion whose whole tree is Windows' own: no program
// keeps an entry there.
constexpr std::string_view kWindowsOwnedChildren[] = {
    "Component Based Servicing",
    "ProfileList",
    "Setup",
    "SideBySide",
};

using KeyComponents = std::vector<std::string_view>;

KeyComponents Components(std::string_view path) {
  // A backslash (0x5C) is never the trail byte of a code page 949 character,
  // so every backslash byte is a separator.
  KeyComponents components;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

std::string Join(const KeyComponents& components, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count && i < components.size(); ++i) {
    if (i > 0) path += '\\';
    path += components[i];
  }
  return path;
}

// The text as a string through the pointer-and-length constructor: GCC 12's
// link-time optimisation for mingw-w64 crashes (in binds_to_current_def_p)
// on the string_view constructor template as this file uses it.
std::string Text(std::string_view text) { return std::string(text.data(), text.size()); }

// The path of a key below another; below HKEY_CLASSES_ROOT's own classes
// the parent path is empty.
std::string Below(const std::string& parent, const std::string& child) {
  return parent.empty() ? child : parent + "\\" + child;
}

bool Is(std::string_view a, std::string_view b) { return EqualsIgnoreCaseCp949(a, b); }

template <std::size_t Size>
bool IsOneOf(std::string_view name, const std::string_view (&list)[Size]) {
  for (std::string_view entry : list) {
    if (Is(entry, name)) return true;
  }
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && Is(text.substr(0, prefix.size()), prefix);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", as COM writes class identifiers.
bool IsGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !IsHexDigit(text[i])) return false;
  }
  return true;
}

bool IsControlSetName(std::string_view component) {
  if (Is(component, kControlSet)) return true;
  constexpr std::string_view prefix = "ControlSet";
  return component.size() == prefix.size() + 3 && Is(component.substr(0, prefix.size()), prefix) &&
         IsDigit(component[prefix.size()]) && IsDigit(component[prefix.size() + 1]) &&
         IsDigit(component[prefix.size() + 2]);
}

bool ComponentMatches(std::string_view pattern, std::string_view component) {
  if (pattern == kControlSet) return IsControlSetName(component);
  return Is(pattern, component);
}

bool Matches(const KeyComponents& pattern, const KeyComponents& key) {
  if (pattern.size() != key.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (!ComponentMatches(pattern[i], key[i])) return false;
  }
  return true;
}

bool AppliesTo(Roots roots, RegistryRoot root) {
  switch (roots) {
    case Roots::User: return root == RegistryRoot::CurrentUser;
    case Roots::Machine: return root == RegistryRoot::LocalMachine;
    case Roots::Both: return root == RegistryRoot::CurrentUser || root == RegistryRoot::LocalMachine;
  }
  return false;
}

// The same key in the other registry view: "Software\X" as
// "Software\WOW6432Node\X".
KeyComponents InOtherView(KeyComponents pattern) {
  pattern.insert(pattern.begin() + 1, "WOW6432Node");
  return pattern;
}

bool IsListed(RegistryRoot root, const KeyComponents& key) {
  for (const ProtectedKey& entry : kProtectedKeys) {
    if (!AppliesTo(entry.roots, root)) continue;
    const KeyComponents pattern = Components(entry.path);
    if (Matches(pattern, key) || (entry.bothViews && Matches(InOtherView(pattern), key))) return true;
  }
  return false;
}

bool IsWindowsClass(std::string_view name) {
  return name.front() == '.' || name == "*" || IsOneOf(name, kWindowsClasses);
}

// A file path as Windows resolves it: "." and ".." components applied and
// empty ones dropped, so that a path cannot climb into or out of a folder
// behind its text's back.
std::string ResolveFilePath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string resolved;
  for (std::string_view part : parts) {
    if (!resolved.empty()) resolved += '\\';
    resolved += part;
  }
  return resolved;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

class KeyJudge {
 public:
  KeyJudge(RegistryRoot root, std::string_view fullPath, const RegistryFacts& facts)
      : m_root(root), m_facts(facts), m_key(Components(fullPath)), m_path(Join(m_key, m_key.size())) {}

  Verdict Judge() const {
    if (m_key.empty() || IsListed(m_root, m_key)) return Shared();
    if (m_root == RegistryRoot::LocalMachine && Is(m_key[0], "SYSTEM")) return SystemKey();
    if (const std::optional<std::size_t> classes = ClassesKeyLength()) return ClassKey(*classes);
    if (const std::optional<std::size_t> currentVersion = CurrentVersionLength()) {
      return CurrentVersionKey(*currentVersion);
    }
    return Verdict::Allowed();
  }

 private:
  std::string Label() const { return "the key " + QuoteScriptText(RegistryRootName(m_root) + ("\\" + m_path)); }

  Verdict Shared() const {
    return Verdict::Refused(Label() +
                            " is a key of Windows or one shared by many programs: the program never deletes it; "
                            "name the target's own key below it");
  }

  Verdict WindowsClassKey() const {
    return Verdict::Refused(Label() +
                            " is the class of a file type, or one that Windows registers for its own files and "
                            "protocols: the program never deletes it; name the target's own class, or its own "
                            "entry in a list below it");
  }

  Verdict WindowsCom(const std::string& file) const {
    return Verdict::Refused(Label() + " is a COM registration of Windows (its file " + QuoteScriptText(file) +
                            " lies in the Windows folder): the program never deletes it; name the target's own "
                            "entry");
  }

  Verdict UnknownCom() const {
    return Verdict::Refused(Label() +
                            " is a COM registration whose file cannot be read: the program cannot tell it from one "
                            "of Windows and never deletes it");
  }

  // HKEY_LOCAL_MACHINE\SYSTEM is Windows' own throughout, apart from the
  // key of a service that the target installed.
  Verdict SystemKey() const {
    if (m_key.size() >= 4 && IsControlSetName(m_key[1]) && Is(m_key[2], "Services")) {
      return ServiceKey(m_key[3], Join(m_key, 4));
    }
    return Verdict::Refused(Label() +
                            " is part of the configuration of Windows below SYSTEM: the program never deletes it; "
                            "below SYSTEM only the key of the target's own service, directly below 'Services', "
                            "may go");
  }

  Verdict ServiceKey(std::string_view service, const std::string& servicePath) const {
    const std::string windowsService = Label() + " belongs to " + QuoteScriptText(service) + ", a service of Windows";
    const std::string ending = ": the program never deletes it; name the target's own service";
    if (IsOneOf(service, kWindowsServices)) return Verdict::Refused(windowsService + ending);
    if (!m_facts.Known() || !m_facts.KeyExists(RegistryRoot::LocalMachine, servicePath)) return Verdict::Allowed();
    const std::optional<std::string> image = m_facts.StringValue(RegistryRoot::LocalMachine, servicePath, "ImagePath");
    if (!image || TrimBlanks(*image).empty()) {
      return Verdict::Refused(Label() + " belongs to the service " + QuoteScriptText(service) +
                              ", whose image file cannot be read: the program cannot tell it from a service of "
                              "Windows and never deletes it");
    }
    if (LiesInWindowsFolder(*image)) {
      return Verdict::Refused(windowsService + " (its image file " + QuoteScriptText(*image) +
                              " lies in the Windows folder)" + ending);
    }
    return Verdict::Allowed();
  }

  // Where a file named in the registry lies: a service's ImagePath or a COM
  // server, expanded as Windows expands it. Windows resolves a path without
  // a drive against its own folder ("system32\drivers\x.sys", a bare
  // "shell32.dll"), and the kernel's "\SystemRoot\" and "\??\" spellings
  // name the Windows folder and a plain path.
  bool LiesInWindowsFolder(const std::string& text) const {
    const std::string windows = ResolveFilePath(m_facts.WindowsFolder());
    if (windows.size() < 2 || windows[1] != ':') return true;  // no place to compare with: keep it
    std::string path = Text(TrimBlanks(m_facts.ExpandEnvironment(Text(TrimBlanks(text)))));
    if (!path.empty() && path.front() == '"') path = path.substr(1, path.find('"', 1) - 1);
    if (StartsWith(path, "\\??\\")) path.erase(0, 4);
    if (StartsWith(path, "\\SystemRoot\\")) {
      path = windows + path.substr(11);
    } else if (StartsWith(path, "\\\\")) {
      return false;  // a network share
    } else if (path.size() >= 2 && path[1] == ':') {
      // A full path.
    } else if (!path.empty() && path.front() == '\\') {
      path = windows.substr(0, 2) + path;  // from the root of the Windows drive
    } else {
      return true;
    }
    const std::string resolved = ResolveFilePath(path);
    return Is(resolved, windows) || StartsWith(resolved, windows + "\\");
  }

  // The length of the classes key that the key lies in, in components:
  // HKEY_CLASSES_ROOT itself, "Software\Classes" of either root, and the
  // classes of the other view ("Software\Classes\WOW6432Node",
  // "Software\WOW6432Node\Classes").
  std::optional<std::size_t> ClassesKeyLength() const {
    if (m_root == RegistryRoot::ClassesRoot) return Is(m_key[0], "WOW6432Node") ? 1 : 0;
    if (m_key.size() < 2 || !Is(m_key[0], "Software")) return std::nullopt;
    std::size_t length = 0;
    if (Is(m_key[1], "Classes")) {
      length = 2;
    } else if (m_key.size() >= 3 && Is(m_key[1], "WOW6432Node") && Is(m_key[2], "Classes")) {
      length = 3;
    } else {
      return std::nullopt;
    }
    if (m_key.size() > length && Is(m_key[length], "WOW6432Node")) ++length;
    return length;
  }

  Verdict ClassKey(std::size_t classesLength) const {
    const std::string classesPath = Join(m_key, classesLength);
    if (m_key.size() == classesLength) return Shared();
    const std::string_view name = m_key[classesLength];
    const std::size_t depth = m_key.size() - classesLength;  // the class is 1
    if (IsOneOf(name, kComLists)) {
      if (depth == 1) return Shared();
      return ComEntry(name, m_key[classesLength + 1], Join(m_key, classesLength + 2), classesPath);
    }
    if (!IsWindowsClass(name)) {
      // A class of a program's own; one that stands for a COM class of
      // Windows (a ProgID with its CLSID) is Windows' all the same.
      if (!m_facts.Known()) return Verdict::Allowed();
      const std::optional<std::string> clsid =
          m_facts.StringValue(m_root, Join(m_key, classesLength + 1) + "\\CLSID", "");
      return clsid && IsGuid(*clsid) ? ReferencedClass(*clsid, classesPath) : Verdict::Allowed();
    }
    // Below a class of Windows, a program owns only its own verbs below
    // "shell" and its own entries in the handler lists below "shellex".
    for (std::size_t i = classesLength + 1; i < m_key.size(); ++i) {
      if (Is(m_key[i], "shell")) {
        const bool ownVerb = m_key.size() > i + 1 && !IsOneOf(m_key[i + 1], kWindowsVerbs);
        return ownVerb ? Verdict::Allowed() : WindowsClassKey();
      }
      if (Is(m_key[i], "shellex")) {
        if (m_key.size() <= i + 2) return WindowsClassKey();
        return ListEntry(m_key[i + 2], Join(m_key, i + 3), classesPath);
      }
    }
    return WindowsClassKey();
  }

  // One entry of CLSID, Interface, TypeLib or AppID, with all below it.
  Verdict ComEntry(std::string_view list, std::string_view id, const std::string& entryPath,
                   const std::string& classesPath) const {
    if (!m_facts.Known() || !m_facts.KeyExists(m_root, entryPath)) return Verdict::Allowed();
    if (Is(list, "CLSID")) return JudgeFiles(ServerFiles(m_root, entryPath));
    if (Is(list, "TypeLib")) return JudgeFiles(TypeLibFiles(m_root, entryPath));
    if (Is(list, "Interface")) {
      // An interface is served by its type library, or else by the class
      // of its proxy and stub.
      if (const std::optional<std::string> typeLib = m_facts.StringValue(m_root, entryPath + "\\TypeLib", "")) {
        if (IsGuid(*typeLib)) return JudgeFiles(TypeLibFiles(m_root, Below(classesPath, "TypeLib\\" + *typeLib)));
      }
      const std::optional<std::string> proxy = m_facts.StringValue(m_root, entryPath + "\\ProxyStubClsid32", "");
      if (!proxy || !IsGuid(*proxy)) return UnknownCom();
      return JudgeFiles(ServerFiles(m_root, Below(classesPath, "CLSID\\" + *proxy)));
    }
    // An application runs as a service, or as the server of the class of
    // the same identifier; one without either holds no file of its own.
    if (const std::optional<std::string> service = m_facts.StringValue(m_root, entryPath, "LocalService")) {
      return ServiceKey(*service, "SYSTEM\\CurrentControlSet\\Services\\" + *service);
    }
    const std::string sameClass = Below(classesPath, "CLSID\\" + Text(id));
    if (m_facts.KeyExists(m_root, sameClass)) return JudgeFiles(ServerFiles(m_root, sameClass));
    return Verdict::Allowed();
  }

  // A class that another key refers to, looked up among the classes of the
  // same view: the root's own, then the machine's (which a user's classes
  // fall back on). One registered nowhere has no file to protect.
  Verdict ReferencedClass(const std::string& clsid, const std::string& classesPath) const {
    for (RegistryRoot root : {m_root, RegistryRoot::LocalMachine}) {
      std::string path = Below(classesPath, "CLSID\\" + clsid);
      if (root != m_root && m_root == RegistryRoot::ClassesRoot) path = "Software\\Classes\\" + path;
      if (m_facts.KeyExists(root, path)) return JudgeFiles(ServerFiles(root, path));
    }
    return Verdict::Allowed();
  }

  // An entry in a shared list (a handler below "shellex", a Browser Helper
  // Object, an overlay identifier): named for its class, or naming it in its
  // default value.
  Verdict ListEntry(std::string_view entry, const std::string& entryPath, const std::string& classesPath) const {
    if (!m_facts.Known()) return Verdict::Allowed();
    std::string clsid = Text(entry);
    if (!IsGuid(clsid)) clsid = m_facts.StringValue(m_root, entryPath, "").value_or("");
    return IsGuid(clsid) ? ReferencedClass(clsid, classesPath) : Verdict::Allowed();
  }

  std::vector<std::string> ServerFiles(RegistryRoot root, const std::string& classPath) const {
    std::vector<std::string> files;
    for (const char* server : {"InprocServer32", "LocalServer32"}) {
      const std::optional<std::string> file = m_facts.StringValue(root, classPath + "\\" + server, "");
      if (file && !TrimBlanks(*file).empty()) files.push_back(*file);
    }
    return files;
  }

  // The files of every version, language and platform of a type library:
  // "<version>\<lcid>\win32" and so on.
  std::vector<std::string> TypeLibFiles(RegistryRoot root, const std::string& typeLibPath) const {
    std::vector<std::string> files;
    for (const std::string& version : m_facts.SubkeyNames(root, typeLibPath)) {
      const std::string versionPath = typeLibPath + "\\" + version;
      for (const std::string& language : m_facts.SubkeyNames(root, versionPath)) {
        if (Is(language, "FLAGS") || Is(language, "HELPDIR")) continue;
        const std::string languagePath = versionPath + "\\" + language;
        for (const std::string& platform : m_facts.SubkeyNames(root, languagePath)) {
          const std::optional<std::string> file = m_facts.StringValue(root, languagePath + "\\" + platform, "");
          if (file && !TrimBlanks(*file).empty()) files.push_back(*file);
        }
      }
    }
    return files;
  }

  Verdict JudgeFiles(const std::vector<std::string>& files) const {
    if (files.empty()) return UnknownCom();
    for (const std::string& file : files) {
      if (LiesInWindowsFolder(file)) return WindowsCom(file);
    }
    return Verdict::Allowed();
  }

  // The length of "Software[\WOW6432Node]\Microsoft\Windows[ NT]\CurrentVersion"
  // at the start of the key.
  std::optional<std::size_t> CurrentVersionLength() const {
    if (m_root == RegistryRoot::ClassesRoot || m_key.empty() || !Is(m_key[0], "Software")) return std::nullopt;
    const std::size_t i = m_key.size() > 1 && Is(m_key[1], "WOW6432Node") ? 2 : 1;
    if (m_key.size() < i + 3 || !Is(m_key[i], "Microsoft") || !Is(m_key[i + 2], "CurrentVersion")) {
      return std::nullopt;
    }
    if (!Is(m_key[i + 1], "Windows") && !Is(m_key[i + 1], "Windows NT")) return std::nullopt;
    return i + 3;
  }

  Verdict CurrentVersionKey(std::size_t length) const {
    const std::size_t depth = m_key.size() - length;
    if (depth <= 1) return Shared();
    const std::string_view child = m_key[length];
    if (IsOneOf(child, kWindowsOwnedChildren)) return Shared();
    const bool explorer = Is(m_key[length - 2], "Windows") && Is(child, "Explorer");
    if (explorer) {
      // Every key directly below Explorer is a list or a setting of
      // Windows; the entries in those lists are the programs' own.
      if (depth == 2) return Shared();
      if (depth == 3) {
        const bool otherView = Is(m_key[1], "WOW6432Node");
        return ListEntry(m_key[length + 2], m_path, otherView ? "Software\\WOW6432Node\\Classes" : "Software\\Classes");
      }
      return Verdict::Allowed();
    }
    if (depth == 2) {
      for (const SharedList& list : kSharedGrandchildLists) {
        if (Is(child, list.parent) && Is(m_key[length + 1], list.list)) return Shared();
      }
    }
    return Verdict::Allowed();
  }

  RegistryRoot m_root;
  const RegistryFacts& m_facts;
  KeyComponents m_key;
  std::string m_path;  // normalised
};

class NoFacts : public RegistryFacts {
 public:
  bool Known() const override { return false; }
  bool KeyExists(RegistryRoot, const std::string&) const override { return false; }
  std::optional<std::string> StringValue(RegistryRoot, const std::string&, const std::string&) const override {
    return std::nullopt;
  }
  std::vector<std::string> SubkeyNames(RegistryRoot, const std::string&) const override { return {}; }
  std::string WindowsFolder() const override { return {}; }
  std::string ExpandEnvironment(const std::string& text) const override { return text; }
};

}  // namespace

RegistryFacts::~RegistryFacts() = default;

const RegistryFacts& NoRegistryFacts() {
  static const NoFacts facts;
  return facts;
}

std::string NormalizeRegistryPath(std::string_view path) {
  const KeyComponents components = Components(path);
  return Join(components, components.size());
}

Verdict RegistryKeyVerdict(RegistryRoot root, std::string_view fullPath, const RegistryFacts& facts) {
  return KeyJudge(root, fullPath, facts).Judge();
}

bool IsProtectedRegistryKey(RegistryRoot root, std::string_view fullPath) {
  return RegistryKeyVerdict(root, fullPath, NoRegistryFacts()).IsRefused();
}

std::string RegistryEntryKeyPath(std::string_view name, std::string_view value) {
  return NormalizeRegistryPath(RegistryParentPath(name, value) + "\\" + Text(value));
}

Verdict RegistryKeyEntryVerdict(RegistryRoot root, std::string_view name, std::string_view value,
                                const RegistryFacts& facts) {
  if (value.empty()) return Verdict::Refused("the value is empty: the program deletes nothing for it");
  if (value.front() == '\\') {
    return Verdict::Refused("the value " + QuoteScriptText(value) +
                            " begins with '\\', which would make it a key path from the root, outside the "
                            "entry's key: the program refuses it and deletes nothing; write the subkey's name "
                            "without the leading '\\'");
  }
  return RegistryKeyVerdict(root, RegistryEntryKeyPath(name, value), facts);
}

Verdict UninstallEntryVerdict(RegistryRoot root, std::string_view subkeyName, const RegistryFacts& facts) {
  if (subkeyName.empty()) return Verdict::Refused("the Uninstall entry is empty: the program deletes nothing for it");
  if (subkeyName.find('\\') != std::string_view::npos) {
    const bool fullPath = StartsWith(subkeyName, "Software\\") || !LeadingRegistryRootName(subkeyName).empty();
    return Verdict::Refused(QuoteScriptText(subkeyName) +
                            (fullPath ? " is a full key path, but [UNINSTALL] takes the name of one subkey of the "
                                        "Uninstall key"
                                      : " holds '\\', but a subkey name of the Uninstall key never does") +
                            ": the program refuses it and deletes nothing; write only the entry's own name, such "
                            "as 'lumenseek'");
  }
  return RegistryKeyVerdict(root, kUninstallKeyPath + Text(subkeyName), facts);
}

bool RefusesRegistryKeyEntry(RegistryRoot root, std::string_view name, std::string_view value) {
  return RegistryKeyEntryVerdict(root, name, value, NoRegistryFacts()).IsRefused();
}

bool RefusesUninstallEntry(RegistryRoot root, std::string_view subkeyName) {
  return UninstallEntryVerdict(root, subkeyName, NoRegistryFacts()).IsRefused();
}

}  // namespace tidemark
