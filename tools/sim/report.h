// Renderers of the simulator's events: aligned text for people (colour only when asked
// for) and one JSON object per line for programs. Both write every event as soon as it
// is reported, so an interactive session shows each answer at once.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "tools/sim/events.h"

namespace kwsim {

class Reporter {
 public:
  virtual ~Reporter() = default;
  virtual void Report(const Event& event) = 0;
};

// Lines such as "> recv TLEN ania@tlen.pl: ping", then the effects and the outcome
// indented under it with their labels in one column.
class TextReporter final : public Reporter {
 public:
  TextReporter(std::ostream& out, bool colour) : out_(out), colour_(colour) {}
  void Report(const Event& event) override;

 private:
  std::ostream& out_;
  bool colour_;
};

// One object per event: {"line":..,"event":"recv",...,"effects":[...]}.
class JsonReporter final : public Reporter {
 public:
  explicit JsonReporter(std::ostream& out) : out_(out) {}
  void Report(const Event& event) override;

 private:
  std::ostream& out_;
};

// What became of a message: "passed", "rewritten", "blocked", or "unhooked" when no
// hook was registered for its protocol.
std::string_view Outcome(const MessageEvent& message);

// A JSON string literal, quotes included; the text must be UTF-8.
std::string JsonString(std::string_view text);

}  // namespace kwsim
