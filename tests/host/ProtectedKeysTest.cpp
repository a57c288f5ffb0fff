#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "engine/EntryVerdicts.h"
#include "engine/ProtectedKeys.h"
#include "system/Cp949Text.h"

namespace tidemark {
namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// A registry of a few keys and string values on a machine whose Windows
// folder is C:\Windows. Paths are matched without case, as the registry
// matches them.
class FakeFacts : public RegistryFacts {
 public:
  void Set(RegistryRoot root, const std::string& path, const std::string& name, const std::string& data) {
    m_values[{root, ToLowerAsciiCp949(path)}][ToLowerAsciiCp949(name)] = data;
  }
  void MakeKey(RegistryRoot root, const std::string& path) { m_values[{root, ToLowerAsciiCp949(path)}]; }

  bool Known() const override { return true; }
  bool KeyExists(RegistryRoot root, const std::string& path) const override {
    const std::string prefix = ToLowerAsciiCp949(path);
    for (const auto& [key, values] : m_values) {
      if (key.first != root) continue;
      if (key.second == prefix || key.second.rfind(prefix + "\\", 0) == 0) return true;
    }
    return false;
  }
  std::optional<std::string> StringValue(RegistryRoot root, const std::string& path,
                                         const std::string& name) const override {
    const auto key = m_values.find({root, ToLowerAsciiCp949(path)});
    if (key == m_values.end()) return std::nullopt;
    const auto value = key->second.find(ToLowerAsciiCp949(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
  }
  std::vector<std::string> SubkeyNames(RegistryRoot root, const std::string& path) const override {
    const std::string prefix = ToLowerAsciiCp949(path) + "\\";
    std::set<std::string> names;
    for (const auto& [key, values] : m_values) {
      if (key.first != root || key.second.rfind(prefix, 0) != 0) continue;
      const std::string rest = key.second.substr(prefix.size());
      names.insert(rest.substr(0, rest.find('\\')));
    }
    return {names.begin(), names.end()};
  }
  std::string WindowsFolder() const override { return "C:\\Windows"; }
  std::string ExpandEnvironment(const std::string& text) const override {
    std::string expanded = text;
    for (const auto& [name, folder] : std::map<std::string, std::string>{
             {"%systemroot%", "C:\\Windows"}, {"%windir%", "C:\\Windows"}, {"%programfiles%", "C:\\Program Files"}}) {
      const std::size_t at = ToLowerAsciiCp949(expanded).find(name);
      if (at != std::string::npos) expanded.replace(at, name.size(), folder);
    }
    return expanded;
  }

 private:
  std::map<std::pair<RegistryRoot, std::string>, std::map<std::string, std::string>> m_values;
};

constexpr char kWindowsClass[] = "{0A0A0A0A-0000-4000-8000-00000000000A}";  // served from C:\Windows
constexpr char kOwnClass[] = "{B0B0B0B0-0000-4000-8000-00000000000B}";      // served from Program Files

TEST(NormalizeRegistryPath, EmptyComponentsAreDropped) {
  EXPECT_EQ(NormalizeRegistryPath("SOFTWARE\\\\Microsoft\\"), "SOFTWARE\\Microsoft");
  EXPECT_EQ(NormalizeRegistryPath("\\\\SOFTWARE\\lumenseek\\\\\\"), "SOFTWARE\\lumenseek");
  EXPECT_EQ(NormalizeRegistryPath("\\\\\\"), "");
  EXPECT_EQ(NormalizeRegistryPath("Control Panel\\ Desktop "), "Control Panel\\ Desktop ");  // blanks are names
  EXPECT_EQ(NormalizeRegistryPath("\xB0\xCB\\\\\xBB\xF6"), "\xB0\xCB\\\xBB\xF6");
}

TEST(IsProtectedRegistryKey, RootsAndTheStandardKeysBelowThem) {
  EXPECT_TRUE(IsProtectedRegistryKey(kUser, ""));
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "\\"));
  EXPECT_TRUE(IsProtectedRegistryKey(RegistryRoot::ClassesRoot, ""));
  for (const char* key : {"AppEvents", "Console", "Control Panel", "Environment", "EUDC", "Keyboard Layout", "Network",
                          "Printers", "Software", "System", "Volatile Environment"}) {
    EXPECT_TRUE(IsProtectedRegistryKey(kUser, key)) << key;
  }
  for (const char* key : {"BCD00000000", "HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"}) {
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key)) << key;
  }
  // Each root has its own standard keys.
  EXPECT_FALSE(IsProtectedRegistryKey(kUser, "HARDWARE"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "Environment"));
  EXPECT_FALSE(IsProtectedRegistryKey(kUser, "Control Panel\\Desktop\\lumenseek"));
}

TEST(IsProtectedRegistryKey, SharedKeysInBothViewsButNotTheKeysBelowThem) {
  for (RegistryRoot root : {kUser, kMachine}) {
    for (const std::string view : {"SOFTWARE\\", "SOFTWARE\\WOW6432Node\\"}) {
      for (const char* key :
           {"Microsoft", "Classes", "Policies", "Microsoft\\Windows", "Microsoft\\Windows\\CurrentVersion",
            "Microsoft\\Windows\\CurrentVersion\\Policies", "Microsoft\\Windows\\CurrentVersion\\Run",
            "Microsoft\\Windows\\CurrentVersion\\RunOnce", "Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        EXPECT_TRUE(IsProtectedRegistryKey(root, view + key)) << view + key;
      }
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "lumenseek"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek"));
      EXPECT_TRUE(IsProtectedRegistryKey(root, view + "Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache"));
      EXPECT_FALSE(IsProtectedRegistryKey(
          root, view + "Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\lumenseek"));
      EXPECT_TRUE(IsProtectedRegistryKey(root, view + "Classes\\CLSID"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Classes\\CLSID\\{8C1B3A52-0000-4000-8000-00000000BEEF}"));
      EXPECT_FALSE(IsProtectedRegistryKey(root, view + "Classes\\lumenseek.document"));
    }
    EXPECT_TRUE(IsProtectedRegistryKey(root, "SOFTWARE\\WOW6432Node"));
    EXPECT_FALSE(IsProtectedRegistryKey(root, "SOFTWARE\\WOW6432Node\\WOW6432Node\\Microsoft"));
  }
}

TEST(IsProtectedRegistryKey, EveryControlSetAndItsServices) {
  for (const char* set : {"CurrentControlSet", "ControlSet001", "ControlSet002", "controlset003"}) {
    const std::string key = std::string("SYSTEM\\") + set;
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key)) << key;
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key + "\\Services")) << key;
    EXPECT_FALSE(IsProtectedRegistryKey(kMachine, key + "\\Services\\lumenseek")) << key;
    EXPECT_FALSE(IsProtectedRegistryKey(kUser, key));
  }
  // A misspelt control set holds no services: like all of SYSTEM apart from
  // the services, it is Windows' own.
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "SYSTEM\\ControlSet01\\Services\\lumenseek"));
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "SYSTEM\\ControlSet00X\\Services\\lumenseek"));
}

TEST(IsProtectedRegistryKey, SpellingsThatReachTheSameKey) {
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "software\\MICROSOFT"));
  EXPECT_TRUE(IsProtectedRegistryKey(kMachine, "\\SOFTWARE\\\\Microsoft\\\\"));
  EXPECT_TRUE(IsProtectedRegistryKey(kUser, "SOFTWARE\\wow6432node\\microsoft\\windows\\currentversion\\run\\"));
  // Only ASCII letters of single-byte characters fold: a double-byte
  // character whose trail byte is a letter never stands for that letter.
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "\x81S\x81O"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SOFTWARE\\Microsoft\xB0"));
}

TEST(RefusesRegistryKeyEntry, ValuesFromTheRootAndProtectedKeys) {
  // The embedded script's entries stay deletable.
  EXPECT_FALSE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "lumenseek"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(
      kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache", "lumenseek"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(kUser, "SOFTWARE\\Vendor", "Vendor"));
  EXPECT_FALSE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE", "Microsoft\\lumenseek"));

  // A value that begins with a backslash is a path from the root.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE\\Vendor", "\\Software"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "\\Software\\lumenseek"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", "\\"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "SOFTWARE", ""));
}

TEST(RefusesRegistryKeyEntry, ProtectedKeysReachedFromTheirParents) {
  // A name equal to its value is the key directly below the root.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE", "SOFTWARE"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "software", "SOFTWARE"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\\\", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software\\Microsoft\\", "Windows"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software", "Microsoft\\\\Windows\\"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "Uninstall"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SYSTEM", "CurrentControlSet"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SYSTEM\\ControlSet001", "Services"));
  // The full-path form, with the last component in another case.
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "SOFTWARE\\MICROSOFT", "Microsoft"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kUser, "Software\\Classes", "Classes"));
  EXPECT_TRUE(RefusesRegistryKeyEntry(kMachine, "", "SOFTWARE"));
}

TEST(RefusesUninstallEntry, OneSubkeyNameWithoutBackslashes) {
  for (RegistryRoot root : {kUser, kMachine}) {
    EXPECT_FALSE(RefusesUninstallEntry(root, "lumenseek"));
    EXPECT_FALSE(RefusesUninstallEntry(root, "{5A0C1D2E-0000-4000-8000-000000000000}"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "\\"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "\\Software"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "lumenseek\\"));
    EXPECT_TRUE(RefusesUninstallEntry(root, "lumenseek\\Nested"));
    EXPECT_TRUE(RefusesUninstallEntry(root, ""));
  }
}

// --- Keys whose name alone makes them Windows' own --------------------------

TEST(RegistryKeyRules, EverythingBelowSystemButTheServicesOfATarget) {
  for (const char* key :
       {"SYSTEM\\Setup", "system\\MountedDevices", "SYSTEM\\Select", "SYSTEM\\ControlSet001\\Control\\Session Manager",
        "SYSTEM\\CurrentControlSet\\Enum\\Root",
        "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}",
        // Services that their names reveal, with all below them.
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip", "SYSTEM\\ControlSet002\\services\\DHCP\\Parameters",
        "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\lumenseek"}) {
    EXPECT_TRUE(IsProtectedRegistryKey(kMachine, key)) << key;
  }
  // Without a machine a service of another name cannot be judged: allowed.
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SYSTEM\\CurrentControlSet\\Services\\lumenseek"));
  EXPECT_FALSE(IsProtectedRegistryKey(kMachine, "SYSTEM\\ControlSet001\\Services\\lumenseek\\Parameters"));
  // The user's own "System" key is not HKEY_LOCAL_MACHINE\SYSTEM.
  EXPECT_FALSE(IsProtectedRegistryKey(kUser, "System\\lumenseek"));
}

TEST(RegistryKeyRules, ClassesOfFileTypesAndOfWindowsInEveryClassesKey) {
  for (RegistryRoot root : {kUser, kMachine}) {
    for (const std::string classes :
         {"Software\\Classes\\", "SOFTWARE\\WOW6432Node\\Classes\\", "software\\classes\\wow6432node\\"}) {
      for (const char* key : {".lnk", ".BAT", ".lumenseek", "*", "batfile", "LNKFILE", "exefile", "Folder", "Directory",
                              "AllFilesystemObjects", "http", "ms-settings", "SystemFileAssociations", "CLSID",
                              "interface", "TypeLib", "AppID", "MIME", "Protocols", "PROTOCOLS",
                              // Windows' own keys below them, the lists among them.
                              "Directory\\shell", "Directory\\shell\\open", "http\\shell\\open\\command", "*\\shellex",
                              "*\\shellex\\ContextMenuHandlers", ".txt\\ShellNew",
                              "Directory\\Background\\shellex\\ContextMenuHandlers", "lnkfile\\DefaultIcon"}) {
        EXPECT_TRUE(IsProtectedRegistryKey(root, classes + key)) << classes + key;
      }
      // The target's own class, verb and list entry, and (without a
      // machine) its COM entries.
      for (const char* key :
           {"lumenseek.document", "lumenseek.document\\shell\\open", "Directory\\shell\\lumenseek",
            "*\\shellex\\ContextMenuHandlers\\lumenseek", "Directory\\Background\\shell\\Lumenseek\\command",
            "CLSID\\{8C1B3A52-0000-4000-8000-00000000BEEF}", "TypeLib\\{8C1B3A52-0000-4000-8000-00000000BEEF}",
            "AppID\\lumenseek.exe"}) {
        EXPECT_FALSE(IsProtectedRegistryKey(root, classes + key)) << classes + key;
      }
    }
  }
  // HKEY_CLASSES_ROOT, should a path reach it, holds the same classes.
  EXPECT_TRUE(IsProtectedRegistryKey(RegistryRoot::ClassesRoot, ".lnk"));
  EXPECT_TRUE(IsProtectedRegistryKey(RegistryRoot::ClassesRoot, "WOW6432Node\\CLSID"));
  EXPECT_FALSE(IsProtectedRegistryKey(RegistryRoot::ClassesRoot, "lumenseek.document"));
}

TEST(RegistryKeyRules, ChildrenOfCurrentVersionAndTheListsBelowExplorer) {
  for (RegistryRoot root : {kUser, kMachine}) {
    for (const std::string software : {"Software\\Microsoft\\", "SOFTWARE\\wow6432node\\microsoft\\"}) {
      const std::string windows = software + "Windows\\CurrentVersion\\";
      const std::string nt = software + "Windows NT\\CurrentVersion\\";
      for (const std::string& key :
           {nt + "Image File Execution Options", nt + "Fonts", nt + "Winlogon", nt + "ProfileList\\S-1-5-18",
            windows + "Explorer", windows + "Shell Extensions", windows + "RUN", windows + "Group Policy",
            windows + "Explorer\\Browser Helper Objects", windows + "explorer\\ShellExecuteHooks",
            windows + "Explorer\\Shell Folders", windows + "Explorer\\User Shell Folders",
            windows + "Explorer\\ShellIconOverlayIdentifiers", windows + "Explorer\\Advanced",
            windows + "App Management", windows + "App Management\\ARPCache", windows + "Shell Extensions\\Approved"}) {
        EXPECT_TRUE(IsProtectedRegistryKey(root, key)) << key;
      }
      for (const std::string& key :
           {nt + "Image File Execution Options\\lumenseek.exe", windows + "Uninstall\\lumenseek",
            windows + "Explorer\\Browser Helper Objects\\{8C1B3A52-0000-4000-8000-00000000BEEF}",
            windows + "App Management\\ARPCache\\lumenseek", windows + "App Paths\\lumenseek.exe"}) {
        EXPECT_FALSE(IsProtectedRegistryKey(root, key)) << key;
      }
    }
  }
}

// --- Keys that the machine's registry reveals -------------------------------

TEST(RegistryKeyRules, AServiceStaysWhenItsImageFileLiesInTheWindowsFolder) {
  const std::string services = "SYSTEM\\ControlSet001\\Services\\";
  for (const char* image :
       {"C:\\Windows\\system32\\x.exe", "%SystemRoot%\\System32\\svchost.exe -k netsvcs",
        "\\SystemRoot\\System32\\drivers\\x.sys", "system32\\drivers\\x.sys", "\"C:\\WINDOWS\\x.exe\" -run",
        "\\??\\C:\\Windows\\x.sys", "\\Windows\\System32\\x.exe", "C:\\Program Files\\..\\Windows\\x.exe"}) {
    FakeFacts facts;
    facts.Set(kMachine, services + "TidemarkWinSvc", "ImagePath", image);
    facts.Set(kMachine, services + "lumenseek", "ImagePath", "C:\\Program Files\\lumenseek\\svc.exe");
    const Verdict verdict = RegistryKeyVerdict(kMachine, services + "tidemarkwinsvc\\Parameters", facts);
    EXPECT_TRUE(verdict.IsRefused()) << image;
    EXPECT_NE(verdict.Reason().find("'tidemarkwinsvc', a service of Windows (its image file '"), std::string::npos)
        << verdict.Reason();
    EXPECT_FALSE(RegistryKeyVerdict(kMachine, services + "lumenseek", facts).IsRefused());
    // Without the machine, the name alone says nothing.
    EXPECT_FALSE(IsProtectedRegistryKey(kMachine, services + "TidemarkWinSvc"));
  }
  for (const char* image : {"\"C:\\Program Files\\lumenseek\\svc.exe\" /service", "%ProgramFiles%\\lumenseek\\svc.exe",
                            "\\??\\C:\\Program Files\\lumenseek\\drv.sys", "C:\\Windows.old\\svc.exe",
                            "C:\\Windows\\..\\lumenseek\\svc.exe", "\\\\server\\share\\svc.exe"}) {
    FakeFacts facts;
    facts.Set(kMachine, services + "lumenseek", "ImagePath", image);
    EXPECT_FALSE(RegistryKeyVerdict(kMachine, services + "lumenseek\\Parameters", facts).IsRefused()) << image;
  }
  // A service without a readable image file cannot be told from Windows'.
  FakeFacts facts;
  facts.Set(kMachine, services + "NoImage", "DisplayName", "x");
  EXPECT_NE(RegistryKeyVerdict(kMachine, services + "NoImage", facts).Reason().find("whose image file cannot be read"),
            std::string::npos);
  EXPECT_FALSE(RegistryKeyVerdict(kMachine, services + "Missing", facts).IsRefused());  // nothing to delete
  // A name of Windows is refused whatever the machine says.
  facts.Set(kMachine, services + "Tcpip", "ImagePath", "C:\\Program Files\\x.sys");
  EXPECT_TRUE(RegistryKeyVerdict(kMachine, services + "Tcpip", facts).IsRefused());
}

TEST(RegistryKeyRules, ComEntriesStayWhenTheirFileLiesInTheWindowsFolder) {
  for (RegistryRoot root : {kUser, kMachine}) {
    for (const std::string classes :
         {"Software\\Classes", "Software\\WOW6432Node\\Classes", "Software\\Classes\\WOW6432Node"}) {
      FakeFacts facts;
      const std::string clsid = classes + "\\CLSID\\";
      facts.Set(root, clsid + kWindowsClass + "\\InprocServer32", "", "%SystemRoot%\\system32\\shell32.dll");
      facts.Set(root, clsid + kOwnClass + "\\InprocServer32", "", "C:\\Program Files\\lumenseek\\bho.dll");
      facts.Set(root, clsid + "{C0C0C0C0-0000-4000-8000-00000000000C}\\LocalServer32", "",
                "\"C:\\Windows\\explorer.exe\" /factory");
      facts.Set(root, clsid + "{D0D0D0D0-0000-4000-8000-00000000000D}", "", "no server");
      facts.Set(root, classes + "\\TypeLib\\{E0E0E0E0-0000-4000-8000-00000000000E}\\2.0\\0\\win32", "",
                "C:\\Windows\\System32\\stdole2.tlb");
      facts.Set(root, classes + "\\TypeLib\\{F0F0F0F0-0000-4000-8000-00000000000F}\\1.0\\409\\win64", "",
                "C:\\Program Files\\lumenseek\\x.tlb");
      facts.Set(root, classes + "\\Interface\\{11111111-0000-4000-8000-000000000001}\\ProxyStubClsid32", "",
                kWindowsClass);
      facts.Set(root, classes + "\\Interface\\{22222222-0000-4000-8000-000000000002}\\TypeLib", "",
                "{F0F0F0F0-0000-4000-8000-00000000000F}");
      for (const std::string& key :
           {clsid + kWindowsClass, clsid + kWindowsClass + "\\InprocServer32",
            clsid + "{c0c0c0c0-0000-4000-8000-00000000000c}", clsid + "{D0D0D0D0-0000-4000-8000-00000000000D}",
            classes + "\\TypeLib\\{E0E0E0E0-0000-4000-8000-00000000000E}",
            classes + "\\Interface\\{11111111-0000-4000-8000-000000000001}"}) {
        EXPECT_TRUE(RegistryKeyVerdict(root, key, facts).IsRefused()) << key;
        EXPECT_FALSE(IsProtectedRegistryKey(root, key)) << key;  // the checker cannot tell
      }
      for (const std::string& key : {clsid + kOwnClass, classes + "\\TypeLib\\{F0F0F0F0-0000-4000-8000-00000000000F}",
                                     classes + "\\Interface\\{22222222-0000-4000-8000-000000000002}",
                                     clsid + "{99999999-0000-4000-8000-000000000009}"}) {
        EXPECT_FALSE(RegistryKeyVerdict(root, key, facts).IsRefused()) << key;
      }
      EXPECT_NE(RegistryKeyVerdict(root, clsid + kWindowsClass, facts)
                    .Reason()
                    .find("is a COM registration of Windows (its file '%SystemRoot%\\system32\\shell32.dll' lies in "
                          "the Windows folder)"),
                std::string::npos);
    }
  }
}

TEST(RegistryKeyRules, EntriesInSharedListsGoWithTheirOwnClassOnly) {
  FakeFacts facts;
  facts.Set(kMachine, std::string("Software\\Classes\\CLSID\\") + kWindowsClass + "\\InprocServer32", "",
            "C:\\Windows\\System32\\ieframe.dll");
  facts.Set(kMachine, std::string("Software\\Classes\\CLSID\\") + kOwnClass + "\\InprocServer32", "",
            "C:\\Program Files\\lumenseek\\bho.dll");
  facts.Set(kMachine, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Sharing", "", kWindowsClass);
  facts.Set(kUser, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\lumenseek", "", kOwnClass);
  facts.Set(kMachine, "Software\\Classes\\Shell.Application\\CLSID", "", kWindowsClass);
  facts.Set(kMachine, "Software\\Classes\\lumenseek.document\\CLSID", "", kOwnClass);
  const std::string bho = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
  EXPECT_TRUE(RegistryKeyVerdict(kMachine, bho + kWindowsClass, facts).IsRefused());
  EXPECT_FALSE(RegistryKeyVerdict(kMachine, bho + kOwnClass, facts).IsRefused());
  EXPECT_TRUE(
      RegistryKeyVerdict(kMachine, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Sharing", facts).IsRefused());
  // A user's entry names a class that only the machine registers.
  EXPECT_FALSE(
      RegistryKeyVerdict(kUser, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\lumenseek", facts).IsRefused());
  facts.Set(kUser, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Sharing", "", kWindowsClass);
  EXPECT_TRUE(
      RegistryKeyVerdict(kUser, "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Sharing", facts).IsRefused());
  EXPECT_TRUE(RegistryKeyVerdict(kMachine, "Software\\Classes\\Shell.Application", facts).IsRefused());
  EXPECT_FALSE(RegistryKeyVerdict(kMachine, "Software\\Classes\\lumenseek.document", facts).IsRefused());
}

TEST(EntryVerdicts, EachRefusalSaysWhy) {
  // The embedded script's entries are allowed on a machine too.
  const FakeFacts facts;
  EXPECT_FALSE(RegistryKeyEntryVerdict(kUser, "SOFTWARE", "lumenseek", facts).IsRefused());
  EXPECT_FALSE(RegistryKeyEntryVerdict(kMachine,
                                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache",
                                       "lumenseek", facts)
                   .IsRefused());
  EXPECT_FALSE(UninstallEntryVerdict(kMachine, "lumenseek", facts).IsRefused());
  EXPECT_EQ(RegistryKeyEntryVerdict(kMachine, "SOFTWARE\\Classes", ".lnk", facts).Reason(),
            "the key 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.lnk' is the class of a file type, or one that Windows "
            "registers for its own files and protocols: the program never deletes it; name the target's own class, "
            "or its own entry in a list below it");
  EXPECT_EQ(UninstallEntryVerdict(kUser, "a\\b", facts).Reason(),
            "'a\\b' holds '\\', but a subkey name of the Uninstall key never does: the program refuses it and deletes "
            "nothing; write only the entry's own name, such as 'lumenseek'");
  EXPECT_FALSE(RunValueVerdict("lumenseekagent").IsRefused());
  EXPECT_EQ(RunValueVerdict("securityhealth").Reason(),
            "Run value 'securityhealth' starts a part of Windows or of a common driver or program, not the target: "
            "the program never deletes the start-up entry of that name under either root; remove the line");
  EXPECT_TRUE(ProcessVerdict("LSASS.EXE").IsRefused());
  EXPECT_FALSE(ProcessVerdict("lumenseek.exe").IsRefused());
}

}  // namespace
}  // namespace tidemark
