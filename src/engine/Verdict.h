// The program's judgement of one script entry: whether a run refuses it, and
// why, in the words the script checker prints. The run, the preview and the
// checker all take the same verdict, so that a checker error and a refusal
// of the program are one and the same decision.
#pragma once

#include <string>
#include <utility>

namespace tidemark {

class Verdict {
 public:
  static Verdict Allowed() { return Verdict(); }
  static Verdict Refused(std::string reason) { return Verdict(std::move(reason)); }

  bool IsRefused() const { return m_refused; }
  // Why the program refuses the entry, as one sentence for the script's
  // author; empty when it is allowed.
  const std::string& Reason() const { return m_reason; }

 private:
  Verdict() = default;
  explicit Verdict(std::string reason) : m_refused(true), m_reason(std::move(reason)) {}

  bool m_refused = false;
  std::string m_reason;
};

}  // namespace tidemark
