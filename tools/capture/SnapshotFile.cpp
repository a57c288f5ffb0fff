#include "capture/SnapshotFile.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tidemark::capture {

namespace {

bool NeedsEscape(unsigned char byte) { return byte == '%' || byte < 0x20 || byte == 0x7F; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Line(std::initializer_list<std::string_view> fields) {
  std::string line;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) line += '\t';
    line += EscapeField(field);
    first = false;
  }
  line += '\n';
  return line;
}

std::string Number(std::uint64_t number) { return std::to_string(number); }

std::string Hex(std::uint64_t number) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(number));
  return text;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

bool ParseUnsigned(const std::string& text, int base, std::uint64_t& number) {
  if (text.empty() || text.size() > 20) return false;
  for (char c : text) {
    if (HexDigit(c) < 0 || HexDigit(c) >= base) return false;
  }
  number = std::strtoull(text.c_str(), nullptr, base);
  return true;
}

// Reads the records of one file; each method returns false with `error` set.
class SnapshotParser {
 public:
  explicit SnapshotParser(Snapshot& snapshot) : m_snapshot(snapshot) {}

  bool Record(std::size_t lineNumber, std::string_view line) {
    m_line = lineNumber;
    std::vector<std::string> fields;
    for (std::string_view raw : SplitFields(line)) {
      std::string field;
      if (!UnescapeField(raw, field)) return Fail("a field holds a broken %XX escape");
      fields.push_back(std::move(field));
    }
    if (m_ended) return Fail("a record follows the end record");
    const std::string& kind = fields[0];
    if (kind == "end") return End(fields);
    ++m_records;
    if (kind == "machine") return Fields(fields, 2) && (m_snapshot.machine = fields[1], true);
    if (kind == "output") return Fields(fields, 2) && (m_snapshot.outputPath = fields[1], true);
    if (kind == "taken") return Fields(fields, 2) && (m_snapshot.takenAt = fields[1], true);
    if (kind == "capture-bits") return CaptureBits(fields);
    if (kind == "views") return Views(fields);
    if (kind == "macro") return Fields(fields, 3) && (m_snapshot.macros.push_back({fields[1], fields[2]}), true);
    if (kind == "process") return Fields(fields, 2) && (m_snapshot.processes.push_back(fields[1]), true);
    if (kind == "service") return Fields(fields, 3) && (m_snapshot.services.push_back({fields[1], fields[2]}), true);
    if (kind == "key") return Key(fields);
    if (kind == "value") return Value(fields);
    if (kind == "folder") return Fields(fields, 2) && (m_snapshot.folders.push_back(fields[1]), true);
    if (kind == "file") return File(fields);
    if (kind == "unreadable") return UnreadableEntry(fields);
    return Fail("unknown record '" + kind + "'");
  }

  bool Ended() const { return m_ended; }
  const std::string& Error() const { return m_error; }

 private:
  bool Fail(const std::string& message) {
    m_error = "line " + std::to_string(m_line) + ": " + message;
    return false;
  }

  bool Fields(const std::vector<std::string>& fields, std::size_t count) {
    if (fields.size() == count) return true;
    return Fail("record '" + fields[0] + "' has " + std::to_string(fields.size()) + " fields, not " +
                std::to_string(count));
  }

  bool ViewAndRoot(const std::string& view, const std::string& root, RegistryKey& key) {
    if (view != kView32 && view != kView64) return Fail("unknown registry view '" + view + "'");
    if (root != kRootCurrentUser && root != kRootLocalMachine) return Fail("unknown registry root '" + root + "'");
    key.view = view;
    key.root = root;
    return true;
  }

  bool CaptureBits(const std::vector<std::string>& fields) {
    if (!Fields(fields, 2)) return false;
    if (fields[1] != "32" && fields[1] != "64") return Fail("capture-bits is neither 32 nor 64");
    m_snapshot.captureBits = fields[1] == "64" ? 64 : 32;
    return true;
  }

  bool Views(const std::vector<std::string>& fields) {
    m_snapshot.views.assign(fields.begin() + 1, fields.end());
    for (const std::string& view : m_snapshot.views) {
      if (view != kView32 && view != kView64) return Fail("unknown registry view '" + view + "'");
    }
    return true;
  }

  bool Key(const std::vector<std::string>& fields) {
    RegistryKey key;
    if (!Fields(fields, 4) || !ViewAndRoot(fields[1], fields[2], key)) return false;
    key.path = fields[3];
    m_snapshot.keys.push_back(std::move(key));
    return true;
  }

  bool Value(const std::vector<std::string>& fields) {
    RegistryValue value;
    if (!Fields(fields, 8) || !ViewAndRoot(fields[1], fields[2], value.key)) return false;
    std::uint64_t type = 0;
    if (!ParseUnsigned(fields[5], 10, type) || type > 0xFFFFFFFFULL) return Fail("the value type is no number");
    if (fields[6].size() != 16 || !ParseUnsigned(fields[6], 16, value.hash))
      return Fail("the value hash is not 16 hex digits");
    value.key.path = fields[3];
    value.name = fields[4];
    value.type = static_cast<std::uint32_t>(type);
    value.text = fields[7];
    m_snapshot.values.push_back(std::move(value));
    return true;
  }

  bool File(const std::vector<std::string>& fields) {
    FileEntry file;
    if (!Fields(fields, 3)) return false;
    if (!ParseUnsigned(fields[2], 10, file.size)) return Fail("the file size is no number");
    file.path = fields[1];
    m_snapshot.files.push_back(std::move(file));
    return true;
  }

  bool UnreadableEntry(const std::vector<std::string>& fields) {
    if (!Fields(fields, 4)) return false;
    if (fields[1] != "key" && fields[1] != "folder")
      return Fail("unreadable '" + fields[1] + "' is neither key nor folder");
    std::uint64_t error = 0;
    if (!ParseUnsigned(fields[3], 10, error) || error > 0xFFFFFFFFULL) return Fail("the error code is no number");
    m_snapshot.unreadable.push_back({fields[1], fields[2], static_cast<std::uint32_t>(error)});
    return true;
  }

  bool End(const std::vector<std::string>& fields) {
    std::uint64_t count = 0;
    if (!Fields(fields, 2)) return false;
    if (!ParseUnsigned(fields[1], 10, count) || count != m_records) {
      return Fail("the end record counts " + fields[1] + " records, the file holds " + std::to_string(m_records));
    }
    m_ended = true;
    return true;
  }

  Snapshot& m_snapshot;
  std::size_t m_line = 0;
  std::size_t m_records = 0;
  bool m_ended = false;
  std::string m_error;
};

}  // namespace

std::string EscapeField(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (!NeedsEscape(byte)) {
      escaped += c;
      continue;
    }
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", byte);
    escaped += code;
  }
  return escaped;
}

bool UnescapeField(std::string_view field, std::string& text) {
  text.clear();
  text.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      text += field[i];
      continue;
    }
    const int high = i + 1 < field.size() ? HexDigit(field[i + 1]) : -1;
    const int low = i + 2 < field.size() ? HexDigit(field[i + 2]) : -1;
    if (high < 0 || low < 0) return false;
    text += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::string HeaderRecord() { return Line({kSnapshotMagic, Number(kSnapshotVersion)}); }

std::string MachineRecords(const Snapshot& snapshot) {
  std::string views = "views";
  for (const std::string& view : snapshot.views) views += "\t" + EscapeField(view);
  return Line({"machine", snapshot.machine}) + Line({"taken", snapshot.takenAt}) +
         Line({"output", snapshot.outputPath}) +
         Line({"capture-bits", Number(static_cast<std::uint64_t>(snapshot.captureBits))}) + views + "\n";
}

std::string MacroRecord(const MacroFolder& macro) { return Line({"macro", macro.macro, macro.folder}); }
std::string ProcessRecord(const std::string& imageName) { return Line({"process", imageName}); }
std::string ServiceRecord(const Service& service) { return Line({"service", service.name, service.imagePath}); }
std::string KeyRecord(const RegistryKey& key) { return Line({"key", key.view, key.root, key.path}); }

std::string ValueRecord(const RegistryValue& value) {
  return Line({"value", value.key.view, value.key.root, value.key.path, value.name, Number(value.type), Hex(value.hash),
               value.text});
}

std::string FolderRecord(const std::string& folder) { return Line({"folder", folder}); }
std::string FileRecord(const FileEntry& file) { return Line({"file", file.path, Number(file.size)}); }

std::string UnreadableRecord(const Unreadable& unreadable) {
  return Line({"unreadable", unreadable.kind, unreadable.where, Number(unreadable.error)});
}

std::string EndRecord(std::size_t records) { return Line({"end", Number(records)}); }

std::string FormatSnapshot(const Snapshot& snapshot) {
  std::string text = HeaderRecord() + MachineRecords(snapshot);
  std::size_t records = 5;
  const auto add = [&](std::string line) {
    text += line;
    ++records;
  };
  for (const MacroFolder& macro : snapshot.macros) add(MacroRecord(macro));
  for (const std::string& process : snapshot.processes) add(ProcessRecord(process));
  for (const Service& service : snapshot.services) add(ServiceRecord(service));
  for (const RegistryKey& key : snapshot.keys) add(KeyRecord(key));
  for (const RegistryValue& value : snapshot.values) add(ValueRecord(value));
  for (const std::string& folder : snapshot.folders) add(FolderRecord(folder));
  for (const FileEntry& file : snapshot.files) add(FileRecord(file));
  for (const Unreadable& unreadable : snapshot.unreadable) add(UnreadableRecord(unreadable));
  return text + EndRecord(records);
}

ParsedSnapshot ParseSnapshot(std::string_view text) {
  ParsedSnapshot parsed;
  const std::string magic = std::string(kSnapshotMagic) + "\t";
  if (text.substr(0, magic.size()) != magic) {
    parsed.error = "not a snapshot file (it does not start with " + std::string(kSnapshotMagic) + ")";
    return parsed;
  }
  const std::size_t headerEnd = text.find('\n');
  std::string_view version = text.substr(
      magic.size(), headerEnd == std::string_view::npos ? std::string_view::npos : headerEnd - magic.size());
  if (!version.empty() && version.back() == '\r') version.remove_suffix(1);
  if (version != std::to_string(kSnapshotVersion)) {
    parsed.error = "snapshot format version " + std::string(version) + ", this program reads version " +
                   std::to_string(kSnapshotVersion);
    return parsed;
  }
  SnapshotParser parser(parsed.snapshot);
  std::size_t lineNumber = 1;
  std::size_t start = headerEnd == std::string_view::npos ? text.size() : headerEnd + 1;
  while (start < text.size()) {
    ++lineNumber;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (!parser.Record(lineNumber, line)) {
      parsed.error = parser.Error();
      return parsed;
    }
  }
  if (!parser.Ended()) {
    parsed.error = "the file ends without its end record: the snapshot was cut short";
    return parsed;
  }
  parsed.ok = true;
  return parsed;
}

}  // namespace tidemark::capture
