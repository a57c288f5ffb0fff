// What every benchmark does with its figures: runs the sides of a
// comparison in turn, round after round (A B A B ...), so that a machine
// that warms up, slows down or is busy with something else for a while
// weighs on every side alike, and prints each side's median and range.
// Pure C++: the host-built walk benchmark uses it too.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tidemark::bench {

struct Summary {
  double median = 0;
  double min = 0;
  double max = 0;
  std::size_t runs = 0;
};

inline Summary Summarise(std::vector<double> samples) {
  Summary summary;
  summary.runs = samples.size();
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  const std::size_t middle = samples.size() / 2;
  summary.median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
  summary.min = samples.front();
  summary.max = samples.back();
  return summary;
}

// One side of a comparison. `run` does its work once and returns the
// milliseconds of the part that counts; what it prepares before (a folder
// of files, a tree of keys) stays out of the figure.
struct Side {
  std::string name;
  std::function<double()> run;
};

// Each side's samples, in the order of `sides`: round r runs every side once,
// in the given order, before round r + 1 begins.
inline std::vector<std::vector<double>> Alternate(const std::vector<Side>& sides, int rounds) {
  std::vector<std::vector<double>> samples(sides.size());
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t side = 0; side < sides.size(); ++side) samples[side].push_back(sides[side].run());
  }
  return samples;
}

// Run by run, a side's samples less another's of the same round: a side that
// starts a program, less the bare start of that program.
inline std::vector<double> Minus(const std::vector<double>& samples, const std::vector<double>& less) {
  std::vector<double> difference;
  for (std::size_t i = 0; i < samples.size() && i < less.size(); ++i) difference.push_back(samples[i] - less[i]);
  return difference;
}

inline void PrintSummary(const std::string& label, const Summary& summary) {
  std::printf("  %-36s median %10.3f ms, range %10.3f - %10.3f ms (%zu runs)\n", (label + ":").c_str(), summary.median,
              summary.min, summary.max, summary.runs);
}

inline void PrintSummary(const std::string& label, const std::vector<double>& samples) {
  PrintSummary(label, Summarise(samples));
}

// The ratio of two sides' medians.
inline void PrintRatio(const std::string& label, const std::vector<double>& numerator,
                       const std::vector<double>& denominator) {
  const double bottom = Summarise(denominator).median;
  std::printf("  %-36s %10.2f x\n", (label + ":").c_str(), bottom > 0 ? Summarise(numerator).median / bottom : 0.0);
}

}  // namespace tidemark::bench
