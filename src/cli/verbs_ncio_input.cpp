// Verbs of NC program input: loading and appending programs, the NC switches, and the
// shortcuts that read one program and print what came of it.

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "app/load_commands.h"
#include "app/machine_settings.h"
#include "cli/output.h"
#include "cli/script.h"
#include "cli/separate_reads.h"

namespace trevalon::cli {

namespace {

// Runs a load or append and turns its outcome into the verb's result. The message box has
// already said what happened; the failure adds the path for the script's log.
// After an extended read, what it passed over goes to standard error as the help line says it.
void Read(Session& s, const std::string& verb, const std::string& path, bool load) {
  const Outcome o =
      load ? LoadNcCommand(s.app, *s.doc, path) : AppendNcCommand(s.app, *s.doc, path);
  const std::string notice = ExtendedReadNotice(s.app, *s.doc);
  if (!notice.empty()) s.err << notice << "\n";
  // Our rule: a program whose run stopped is loaded up to the stop, as a full store is; unlike
  // that, the script goes on (the toolpath may be looked at or written, which says the stop
  // again) and ends with exit status 1.
  if (!o.ok() && ReadStopped(*s.doc)) {
    s.err << verb << ": " << o.reason() << "\n";
    s.status = 1;
    return;
  }
  Check(o, verb);
}

void Load(Session& s, const Args& a) {
  a.Expect(1, 1);
  Read(s, "load", a[0], true);
}

void Append(Session& s, const Args& a) {
  a.Expect(1, 1);
  Read(s, "append", a[0], false);
}

void PrintSwitches(std::ostream& out, const NcSwitches& nc) {
  out << FormatNcSettings(nc);
}

void NcSet(Session& s, const Args& a) {
  a.Expect(0, 1, {"int", "arc2cut", "hhin", "hhout", "extended"});
  bool save = false;
  if (a.size() == 1) {
    if (a[0] != "save") Usage("ncset: unexpected word '" + a[0] + "' (only save)");
    save = true;
  }
  if (!save && a.options().empty()) {
    PrintSwitches(s.out, s.doc->nc);
    return;
  }
  // Every value is checked before any is taken over, so a bad one changes nothing.
  NcSwitches next = s.doc->nc;
  next.intNcdataFlg = a.FlagOption("int", next.intNcdataFlg != 0) ? 1 : 0;
  next.arcToCutInputChk = a.FlagOption("arc2cut", next.arcToCutInputChk != 0) ? 1 : 0;
  next.heidenhainInputChk = a.FlagOption("hhin", next.heidenhainInputChk != 0) ? 1 : 0;
  next.heidenhainOutChk = a.FlagOption("hhout", next.heidenhainOutChk != 0) ? 1 : 0;
  next.extendedReadingChk = a.FlagOption("extended", next.extendedReadingChk != 0) ? 1 : 0;
  std::string why;
  if (!NcSettingsCommand(s.app, *s.doc, next, save, &why)) Failure("ncset: " + why);
}

// Shortcuts: read one program into a fresh session and print the result.
int ReadForShortcut(Session& s, const char* name, const std::vector<std::string>& args) {
  if (args.size() != 1) Usage(std::string(name) + " takes one NC program");
  Read(s, name, args[0], true);
  return 0;
}

// info --json FILE...: one JSON object a line per file, in the order named, each with the
// file's name first; a file that cannot be read in full gives {"file":...,"error":...} and
// the exit status 1 once every file has been reported.
int InfoJsonFiles(Session& s, const std::vector<std::string>& files) {
  if (files.empty()) Usage("info: --json needs at least one NC program");
  const MachineLimits machine = ReadMachineSettings(s.app);
  int status = 0;
  for (const std::string& file : files) {
    SeparateDocument own(s);
    const Outcome o = ReadAlone(s, own.doc(), file);
    s.out << "{\"file\":" << JsonString(file);
    if (o.ok()) {
      s.out << ',' << StatisticsJsonMembers(own.doc().store, machine) << "}\n";
    } else {
      s.out << ",\"error\":" << JsonString(o.reason()) << "}\n";
      status = 1;
    }
  }
  return status;
}

int InfoShortcut(Session& s, const std::vector<std::string>& args) {
  if (std::find(args.begin(), args.end(), "--json") != args.end()) {
    std::vector<std::string> files;
    for (const std::string& a : args)
      if (a != "--json") files.push_back(a);
    return InfoJsonFiles(s, files);
  }
  ReadForShortcut(s, "info", args);
  PrintStatisticsJson(s.out, s.doc->store, ReadMachineSettings(s.app));
  return s.status;
}

int DumpShortcut(Session& s, const std::vector<std::string>& args) {
  ReadForShortcut(s, "dump", args);
  const CPointStore& st = s.doc->store;
  char line[160];
  for (std::uint32_t i = 0; i < st.count; ++i) {
    const PointRecord* r = st.RawRecord(i);
    if (!r) continue;
    std::snprintf(line, sizeof line, "%u %d %.4f %.4f %.4f %d %d\n", i, r->type,
                  static_cast<double>(r->x), static_cast<double>(r->y), static_cast<double>(r->z),
                  r->feed, r->mark);
    s.out << line;
  }
  return s.status;
}

VerbRegistrar registrar{
    {"load", "load FILE   read an NC program into the work layer (undoable)", Load},
    {"append", "append FILE   read an NC program behind the toolpaths there", Append},
    {"ncset",
     "ncset [int=0|1] [arc2cut=0|1] [hhin=0|1] [hhout=0|1] [extended=0|1] [save]   NC "
     "switches of the document (save writes korvo.par); no option prints them",
     NcSet},
};

ShortcutRegistrar shortcuts{
    {"info",
     "info FILE   load an NC program and print its statistics as JSON\n"
     "  trevalon-cli info --json FILE...   the statistics of each program as one JSON object a "
     "line, with \"file\" first (\"error\" for a file that cannot be read, exit status 1)",
     InfoShortcut},
    {"dump", "dump FILE   load an NC program and print its records", DumpShortcut},
};

}  // namespace

}  // namespace trevalon::cli
