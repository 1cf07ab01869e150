#include "cli/separate_reads.h"

#include <ostream>

#include "app/load_commands.h"

namespace trevalon::cli {

Outcome ReadAlone(Session& s, CDocument& doc, const std::string& path) {
  doc.nc = s.doc->nc;
  // The modal state carries over from one read of a document to the next; a file read alone
  // starts where a fresh document does.
  doc.ncReader = NcReaderState{};
  const Outcome o = LoadNcCommand(s.app, doc, path);
  const std::string notice = ExtendedReadNotice(s.app, doc);
  if (!notice.empty()) s.err << notice << "\n";
  return o;
}

}  // namespace trevalon::cli
