// The main() that every fuzz target links instead of libFuzzer's, so that
// the targets build with g++ (clang cannot turn the Korean literals into code
// page 949). It does two things:
//  - replay: every file named, and every file below every folder named, is
//    run once; the host tests replay the corpora and the found crashes so.
//  - fuzz: the corpus is mutated (bit flips, byte inserts and deletes,
//    numbers changed, corpus entries spliced) for a time or a number of runs.
//    An input is kept when it reaches an edge, or an edge count class, that
//    no earlier one did; the edges come from GCC's
//    -fsanitize-coverage=trace-pc in the code under test (scripts/fuzz.sh
//    builds it so). An input that a sanitizer, an abort or a hang stops is
//    written to the crash folder before the process ends.
#include <fcntl.h>
#include <unistd.h>
#include <sanitizer/common_interface_defs.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kEdgeMapSize = std::size_t{1} << 16;
std::uint8_t g_edges[kEdgeMapSize];
std::uintptr_t g_previousBlock = 0;

// What a crash handler needs, kept where a signal handler can reach it
// without allocating.
const std::uint8_t* g_input = nullptr;
std::size_t g_inputSize = 0;
const char* g_inputName = nullptr;  // the replayed file
char g_crashFolder[4096] = "";      // empty: replaying, nothing is saved

}  // namespace

// Called by the instrumented code at every basic block: the pair of the
// previous and this block is an edge (as AFL counts them), so that the same
// blocks reached in another order count as new.
extern "C" __attribute__((no_sanitize_coverage, no_sanitize("address", "undefined"))) void __sanitizer_cov_trace_pc() {
  const std::uintptr_t here = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  const std::uintptr_t block = static_cast<std::uintptr_t>((std::uint64_t{here} * 0x9E3779B97F4A7C15ull) >> 48);
  ++g_edges[(block ^ g_previousBlock) & (kEdgeMapSize - 1)];
  g_previousBlock = block >> 1;
}

namespace {

std::uint64_t Fnv1a(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001B3ull;
  return hash;
}

void WriteText(const char* text) {
  const ssize_t ignored = write(2, text, std::strlen(text));
  (void)ignored;
}

// Only async-signal-safe calls: this runs inside the sanitizers' death
// callback and inside signal handlers.
void SaveCurrentInput(const char* kind) {
  if (g_inputName != nullptr) {
    WriteText("\n==== the input was ");
    WriteText(g_inputName);
    WriteText("\n");
  }
  if (g_crashFolder[0] == '\0' || g_input == nullptr) return;
  char path[sizeof g_crashFolder + 64];
  std::size_t at = std::strlen(g_crashFolder);
  std::memcpy(path, g_crashFolder, at);
  path[at++] = '/';
  for (const char* k = kind; *k != '\0';) path[at++] = *k++;
  path[at++] = '-';
  const std::uint64_t hash = Fnv1a(g_input, g_inputSize);
  for (int shift = 60; shift >= 0; shift -= 4) path[at++] = "0123456789abcdef"[(hash >> shift) & 0xF];
  path[at] = '\0';
  const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) return;
  for (std::size_t done = 0; done < g_inputSize;) {
    const ssize_t written = write(file, g_input + done, g_inputSize - done);
    if (written <= 0) break;
    done += static_cast<std::size_t>(written);
  }
  close(file);
  WriteText("\n==== saved the input as ");
  WriteText(path);
  WriteText("\n");
}

void OnSanitizerDeath() { SaveCurrentInput("crash"); }

void OnAbort(int signal) {
  SaveCurrentInput("crash");
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void OnHang(int) {
  WriteText("\n==== the input ran too long\n");
  SaveCurrentInput("timeout");
  _exit(3);
}

// The copy has exactly the input's size, so that the sanitizer sees a read
// one byte past the end (a std::string's spare capacity would hide it).
void RunOne(const std::string& input) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[input.size() == 0 ? 1 : input.size()]);
  std::memcpy(copy.get(), input.data(), input.size());
  g_input = copy.get();
  g_inputSize = input.size();
  g_previousBlock = 0;
  LLVMFuzzerTestOneInput(copy.get(), input.size());
  g_input = nullptr;
}

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// The files of the paths, sorted, each folder searched to the bottom; names
// starting with "." (a placeholder keeping an empty folder) are left out. A
// folder that does not exist holds nothing: the crash folders are made only
// when there is a crash to keep.
std::vector<std::filesystem::path> FilesOf(const std::vector<std::string>& paths) {
  std::vector<std::filesystem::path> files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::filesystem::path> found;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().filename().string().rfind('.', 0) != 0) {
          found.push_back(entry.path());
        }
      }
      std::sort(found.begin(), found.end());
      files.insert(files.end(), found.begin(), found.end());
    } else if (std::filesystem::exists(path, error)) {
      files.emplace_back(path);
    } else {
      std::fprintf(stderr, "nothing to replay in %s (it does not exist)\n", path.c_str());
    }
  }
  return files;
}

int Replay(const std::vector<std::string>& paths) {
  const std::vector<std::filesystem::path> files = FilesOf(paths);
  for (const std::filesystem::path& file : files) {
    std::string bytes;
    if (!ReadFile(file, bytes)) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
    const std::string name = file.string();
    g_inputName = name.c_str();
    RunOne(bytes);
    g_inputName = nullptr;
  }
  std::printf("replayed %zu inputs\n", files.size());
  // A replay of nothing proves nothing: a misnamed corpus folder must fail.
  return files.empty() ? 1 : 0;
}

// AFL's classes of hit counts: a loop run 5 times instead of 3 is new, 6
// instead of 5 is not.
std::uint8_t CountClass(std::uint8_t count) {
  if (count <= 3) return static_cast<std::uint8_t>(1u << (count - 1));
  if (count <= 7) return 8;
  if (count <= 15) return 16;
  if (count <= 31) return 32;
  if (count <= 127) return 64;
  return 128;
}

class Fuzzer {
 public:
  Fuzzer(std::uint64_t seed, std::size_t maxLength) : m_random(seed), m_maxLength(maxLength) {}

  // Runs the input and takes in its edges; true when one of them, or with
  // `countClasses` one of their count classes, is new.
  bool RunAndLearn(const std::string& input, bool countClasses = true) {
    std::memset(g_edges, 0, sizeof g_edges);
    RunOne(input);
    bool fresh = false;
    for (std::size_t i = 0; i < kEdgeMapSize; ++i) {
      if (g_edges[i] == 0) continue;
      const std::uint8_t seen = countClasses ? CountClass(g_edges[i]) : 1;
      if ((m_seen[i] & seen) == 0) {
        if (m_seen[i] == 0) ++m_edges;
        m_seen[i] |= seen;
        fresh = true;
      }
    }
    ++m_runs;
    return fresh;
  }

  void Add(std::string input) { m_corpus.push_back(std::move(input)); }
  std::size_t CorpusSize() const { return m_corpus.size(); }
  std::size_t Edges() const { return m_edges; }
  std::uint64_t Runs() const { return m_runs; }

  std::string Mutant() {
    std::string input = m_corpus.empty() ? std::string() : m_corpus[Below(m_corpus.size())];
    const int steps = 1 << Below(4);
    for (int i = 0; i < steps; ++i) MutateOnce(input);
    if (input.size() > m_maxLength) input.resize(m_maxLength);
    return input;
  }

 private:
  std::size_t Below(std::size_t bound) {
    return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
  }

  char InterestingByte() {
    static const char kBytes[] = {'\0', '\xFF', '\x7F', '\x80', '\x81', '\xB0', '\xFE', '\r', '\n', '\t',
                                  ' ',  '=',    '[',    ']',    ';',    '"',    '%',    '\\', '/',  ':',
                                  '.',  '*',    '?',    '|',    '0',    '1',    '9',    'A',  'a',  '~'};
    return kBytes[Below(sizeof kBytes)];
  }

  const std::string& Other() { return m_corpus[Below(m_corpus.size())]; }

  void MutateOnce(std::string& input) {
    switch (Below(input.empty() ? 2 : 12)) {
      case 0:  // insert a few bytes
      {
        const std::size_t count = 1 + Below(4);
        for (std::size_t i = 0; i < count; ++i) {
          input.insert(input.begin() + static_cast<std::ptrdiff_t>(Below(input.size() + 1)),
                       Below(2) ? InterestingByte() : static_cast<char>(Below(256)));
        }
        break;
      }
      case 1:  // insert a piece of another input
        if (!m_corpus.empty()) {
          const std::string& other = Other();
          const std::size_t from = Below(other.size() + 1);
          const std::size_t length = Below(std::min<std::size_t>(other.size() - from, 256) + 1);
          input.insert(Below(input.size() + 1), other, from, length);
        }
        break;
      case 2: input[Below(input.size())] ^= static_cast<char>(1u << Below(8)); break;
      case 3: input[Below(input.size())] = static_cast<char>(Below(256)); break;
      case 4: input[Below(input.size())] = InterestingByte(); break;
      case 5:  // delete a run
      {
        const std::size_t from = Below(input.size());
        input.erase(from, 1 + Below(std::min<std::size_t>(input.size() - from, 64)));
        break;
      }
      case 6:  // copy a run of the input to another place in it
      {
        const std::size_t from = Below(input.size());
        const std::string run = input.substr(from, 1 + Below(std::min<std::size_t>(input.size() - from, 64)));
        input.insert(Below(input.size() + 1), run);
        break;
      }
      case 7:  // a little-endian 16- or 32-bit field of a binary input
      {
        static const std::uint32_t kValues[] = {0,       1,          2,           0x7F,       0x80,   0xFF,
                                                0x100,   0x200,      0x1000,      0x7FFF,     0x8000, 0xFFFF,
                                                0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
        const std::size_t width = Below(2) ? 2 : 4;
        if (input.size() < width) break;
        const std::size_t at = Below(input.size() - width + 1);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
          value |= std::uint32_t{static_cast<std::uint8_t>(input[at + i])} << (8 * i);
        value = Below(2) ? kValues[Below(std::size(kValues))] : value + static_cast<std::uint32_t>(Below(33)) - 16u;
        for (std::size_t i = 0; i < width; ++i) input[at + i] = static_cast<char>(value >> (8 * i));
        break;
      }
      case 8:  // a decimal number of a text input: counts, sizes, types
      {
        const std::size_t digit = input.find_first_of("0123456789", Below(input.size()));
        if (digit == std::string::npos) break;
        const std::size_t end = std::min(input.find_first_not_of("0123456789", digit), input.size());
        static const char* const kNumbers[] = {"0",
                                               "1",
                                               "2",
                                               "4",
                                               "7",
                                               "32",
                                               "64",
                                               "4294967295",
                                               "4294967296",
                                               "18446744073709551615",
                                               "18446744073709551616",
                                               "99999999999999999999"};
        std::string number;
        if (Below(2)) {
          number = kNumbers[Below(std::size(kNumbers))];
        } else {
          const unsigned long long old = std::strtoull(input.substr(digit, end - digit).c_str(), nullptr, 10);
          number = std::to_string(old + Below(5) - 2);
        }
        input.replace(digit, end - digit, number);
        break;
      }
      case 9:  // splice: this input's head, another's tail
        if (!m_corpus.empty()) {
          const std::string& other = Other();
          input = input.substr(0, Below(input.size() + 1)) + other.substr(Below(other.size() + 1));
        }
        break;
      case 10:  // a long run, for the limits of buffers and listings
      {
        const std::size_t length = 1 + Below(Below(2) ? 300 : 5000);
        input.insert(Below(input.size() + 1), length, Below(2) ? InterestingByte() : 'x');
        break;
      }
      default:  // a line repeated, for sections that grow and names that repeat
      {
        const std::size_t start = input.rfind('\n', Below(input.size()));
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        const std::size_t end = input.find('\n', from);
        const std::string line = input.substr(from, end == std::string::npos ? std::string::npos : end - from + 1);
        const std::size_t copies = 1 + Below(Below(8) == 0 ? 200 : 3);
        for (std::size_t i = 0; i < copies && input.size() < m_maxLength; ++i) input.insert(from, line);
        break;
      }
    }
  }

  std::mt19937_64 m_random;
  std::size_t m_maxLength;
  std::vector<std::string> m_corpus;
  std::uint8_t m_seen[kEdgeMapSize] = {};
  std::size_t m_edges = 0;
  std::uint64_t m_runs = 0;
};

// Keeps a corpus small enough to commit and to replay in the tests: the
// seeds ("seed-*") stay; of the other inputs, smallest first, only those
// that reach an edge that the inputs kept before them do not.
int Merge(const std::string& folder) {
  std::vector<std::filesystem::path> seeds, found;
  for (const std::filesystem::path& file : FilesOf({folder})) {
    (file.filename().string().rfind("seed-", 0) == 0 ? seeds : found).push_back(file);
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return std::filesystem::file_size(a) < std::filesystem::file_size(b);
  });
  Fuzzer fuzzer(0, 0);
  std::size_t removed = 0;
  for (const auto* files : {&seeds, &found}) {
    for (const std::filesystem::path& file : *files) {
      std::string bytes;
      if (!ReadFile(file, bytes)) continue;
      const std::string name = file.string();
      g_inputName = name.c_str();
      const bool fresh = fuzzer.RunAndLearn(bytes, false);
      g_inputName = nullptr;
      if (!fresh && files == &found) {
        std::filesystem::remove(file);
        ++removed;
      }
    }
  }
  std::printf("merge: kept %zu of %zu inputs, %zu edges\n", seeds.size() + found.size() - removed,
              seeds.size() + found.size(), fuzzer.Edges());
  return 0;
}

struct FuzzOptions {
  double seconds = 0;      // 0: until `runs`
  std::uint64_t runs = 0;  // 0: until `seconds`
  std::string out;         // where new inputs go; empty: nowhere
  std::string crashes;
  std::uint64_t seed = 0;
  std::size_t maxLength = 64 * 1024;
  unsigned timeout = 20;  // seconds one input may take before it counts as a hang
  std::vector<std::string> corpus;
};

void Save(const std::string& folder, const std::string& input) {
  if (folder.empty()) return;
  char name[17];
  std::snprintf(
      name, sizeof name, "%016llx",
      static_cast<unsigned long long>(Fnv1a(reinterpret_cast<const std::uint8_t*>(input.data()), input.size())));
  std::ofstream(std::filesystem::path(folder) / name, std::ios::binary) << input;
}

int Fuzz(const FuzzOptions& options) {
  if (!options.crashes.empty()) {
    std::filesystem::create_directories(options.crashes);
    std::snprintf(g_crashFolder, sizeof g_crashFolder, "%s", options.crashes.c_str());
  }
  if (!options.out.empty()) std::filesystem::create_directories(options.out);
  std::signal(SIGALRM, OnHang);
  Fuzzer fuzzer(options.seed, options.maxLength);
  // Every corpus entry is kept for splicing, new edges or not.
  for (const std::filesystem::path& file : FilesOf(options.corpus)) {
    std::string bytes;
    if (!ReadFile(file, bytes)) continue;
    const std::string name = file.string();
    g_inputName = name.c_str();
    alarm(options.timeout);
    fuzzer.RunAndLearn(bytes);
    alarm(0);
    g_inputName = nullptr;
    fuzzer.Add(std::move(bytes));
  }
  const std::size_t seeds = fuzzer.CorpusSize();
  std::printf("corpus of %zu inputs reaches %zu edges\n", seeds, fuzzer.Edges());
  std::fflush(stdout);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastReport = start;
  double elapsed = 0;
  std::uint64_t runs = 0;
  while (true) {
    if ((runs & 63) == 0) {
      const Clock::time_point now = Clock::now();
      elapsed = std::chrono::duration<double>(now - start).count();
      if (options.seconds > 0 && elapsed >= options.seconds) break;
      if (now - lastReport >= std::chrono::seconds(10)) {
        lastReport = now;
        std::printf("%6.0f s: %llu runs (%.0f/s), corpus %zu, edges %zu\n", elapsed,
                    static_cast<unsigned long long>(runs), runs / elapsed, fuzzer.CorpusSize(), fuzzer.Edges());
        std::fflush(stdout);
      }
    }
    if (options.runs > 0 && runs >= options.runs) break;
    std::string input = fuzzer.Mutant();
    alarm(options.timeout);
    const bool fresh = fuzzer.RunAndLearn(input);
    alarm(0);
    ++runs;
    if (fresh) {
      Save(options.out, input);
      fuzzer.Add(std::move(input));
    }
  }
  elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("done: %llu runs in %.0f s (%.0f/s), corpus %zu (%zu new), edges %zu\n",
              static_cast<unsigned long long>(runs), elapsed, elapsed > 0 ? runs / elapsed : 0.0, fuzzer.CorpusSize(),
              fuzzer.CorpusSize() - seeds, fuzzer.Edges());
  return 0;
}

bool Option(const std::string& argument, const char* name, std::string& value) {
  const std::string prefix = std::string(name) + "=";
  if (argument.rfind(prefix, 0) != 0) return false;
  value = argument.substr(prefix.size());
  return true;
}

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s PATH...                      replay every file (and every file below every folder)\n"
               "       %s --fuzz=SECONDS|--runs=N [--out=DIR] [--crashes=DIR] [--seed=N]\n"
               "          [--max-len=BYTES] [--timeout=SECONDS] CORPUS...   mutate the corpus\n"
               "       %s --merge=DIR                    drop the inputs of DIR that add no edge\n",
               program, program, program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  __sanitizer_set_death_callback(OnSanitizerDeath);
  std::signal(SIGABRT, OnAbort);
  FuzzOptions options;
  bool fuzz = false;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::string value;
    if (Option(argument, "--merge", value)) {
      return Merge(value);
    } else if (Option(argument, "--fuzz", value)) {
      fuzz = true;
      options.seconds = std::atof(value.c_str());
    } else if (Option(argument, "--runs", value)) {
      fuzz = true;
      options.runs = std::strtoull(value.c_str(), nullptr, 10);
    } else if (Option(argument, "--out", value)) {
      options.out = value;
    } else if (Option(argument, "--crashes", value)) {
      options.crashes = value;
    } else if (Option(argument, "--seed", value)) {
      options.seed = std::strtoull(value.c_str(), nullptr, 10);
    } else if (Option(argument, "--max-len", value)) {
      options.maxLength = std::strtoull(value.c_str(), nullptr, 10);
    } else if (Option(argument, "--timeout", value)) {
      options.timeout = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (argument.rfind("--", 0) == 0) {
      return Usage(argv[0]);
    } else {
      paths.push_back(argument);
    }
  }
  if (!fuzz) return paths.empty() ? Usage(argv[0]) : Replay(paths);
  if (options.seconds <= 0 && options.runs == 0) return Usage(argv[0]);
  options.corpus = paths;
  return Fuzz(options);
}
