// The verb that says where a record came from: the line of the NC program that made it.

#include <ostream>

#include "app/source_commands.h"
#include "cli/script.h"

namespace trevalon::cli {

namespace {

// "FILE:LINE: TEXT", or why there is none.
void Source(Session& s, const Args& a) {
  a.Expect(1, 1);
  const long i = a.Int(0, "I");
  if (i < 0 || i >= static_cast<long>(s.doc->store.count))
    Failure("source: no record " + a[0] + " (the toolpath has " +
            std::to_string(s.doc->store.count) + ")");
  const SourceLineInfo info = FindSourceLine(*s.doc, static_cast<std::uint32_t>(i));
  switch (info.kind) {
    case SourceLineInfo::Kind::Found:
      s.out << info.path << ":" << info.line << ": " << info.text << "\n";
      break;
    case SourceLineInfo::Kind::MadeByEdit:
      s.out << "no source line: made by an edit\n";
      break;
    case SourceLineInfo::Kind::FileChanged:
      s.out << "no source line: " << info.path << " has changed since it was read\n";
      break;
    case SourceLineInfo::Kind::Unreadable:
      s.out << "no source line: " << info.path << " cannot be read\n";
      break;
  }
}

VerbRegistrar registrar{
    {"source", "source I   the line of the NC program that record I came from", Source},
};

}  // namespace

}  // namespace trevalon::cli
