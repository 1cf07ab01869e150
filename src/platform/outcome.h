#pragma once
// Outcome: what a command of the core reports to whoever ran it. The desktop shows nothing
// more (the command has already shown its messages); the command-line tool turns a failure
// into "line N: verb: reason" and its exit status. A reason is written for a programmer
// reading a script's output, in English, and names the file or value concerned.

#include <cstdint>
#include <string>
#include <utility>

namespace trevalon {

enum class OutcomeCode : std::uint8_t {
  Done,        // the command did its work
  Unchanged,   // nothing to do: the document is as it was
  Cancelled,   // the user said no (a question, Escape); what was done so far is kept
  CannotOpen,  // a file could not be opened, read or created
  NoMemory,    // the memory for the work could not be had; the document is as it was
  Refused,     // the input is not acceptable (a file's contents, a value out of range)
};

class [[nodiscard]] Outcome {
 public:
  static Outcome Done() { return Outcome(OutcomeCode::Done, {}); }
  static Outcome Unchanged(std::string reason = {}) {
    return Outcome(OutcomeCode::Unchanged, std::move(reason));
  }
  static Outcome Cancelled(std::string reason = {}) {
    return Outcome(OutcomeCode::Cancelled, std::move(reason));
  }
  static Outcome Failed(OutcomeCode code, std::string reason) {
    return Outcome(code, std::move(reason));
  }
  // `why` is said after the name when there is more to say than that it failed.
  static Outcome CannotCreate(const std::string& path, const std::string& why = {}) {
    return Outcome(OutcomeCode::CannotOpen,
                   "cannot create '" + path + "'" + (why.empty() ? "" : ": " + why));
  }
  static Outcome CannotOpen(const std::string& path) {
    return Outcome(OutcomeCode::CannotOpen, "cannot open '" + path + "'");
  }

  bool ok() const { return code_ == OutcomeCode::Done; }
  explicit operator bool() const { return ok(); }
  OutcomeCode code() const { return code_; }
  const std::string& reason() const { return reason_; }

 private:
  Outcome(OutcomeCode code, std::string reason) : code_(code), reason_(std::move(reason)) {}
  OutcomeCode code_;
  std::string reason_;
};

}  // namespace trevalon
