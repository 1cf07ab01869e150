#pragma once
// Programs read each into a document of its own, for the shortcuts that report on several
// files at once (info --json, diff): each file is read as `trevalon-cli info FILE` would read
// it alone, so that a file's result does not depend on the files named before it.

#include <string>

#include "cli/script.h"

namespace trevalon::cli {

// A document of the session's application for one file, closed when this goes.
class SeparateDocument {
 public:
  explicit SeparateDocument(Session& s) : app_(s.app), doc_(&s.app.NewDocument()) {}
  ~SeparateDocument() { app_.CloseDocument(doc_); }
  SeparateDocument(const SeparateDocument&) = delete;
  SeparateDocument& operator=(const SeparateDocument&) = delete;
  CDocument& doc() { return *doc_; }

 private:
  CApplication& app_;
  CDocument* doc_;
};

// Loads the program into `doc` with the reading switches of the session's document and the
// reader's modal state as a fresh start leaves it. What an extended read passed over goes to
// the error stream, as after `load`. The load's outcome; anything but Done means that the
// toolpath is not the whole program (unreadable, refused, or a store that ran full).
Outcome ReadAlone(Session& s, CDocument& doc, const std::string& path);

}  // namespace trevalon::cli
