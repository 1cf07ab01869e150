// Verbs of NC program output: the fixed-format writer (single and layer output), the
// template-driven conversion, saving templates, and the shortcuts that convert one program.

#include <map>
#include <ostream>

#include "app/load_commands.h"
#include "app/output_commands.h"
#include "cli/script.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"

namespace trevalon::cli {

namespace {

// verify=1: read the program back after writing it. Off unless asked for, so that scripts
// written before it keep their output; on success nothing more is printed, a difference
// fails the command ("line N: verb: ...", exit status 1) and keeps the file.
NcVerifyResult* Verifying(const Args& a, NcVerifyResult& result) {
  return a.FlagOption("verify", false) ? &result : nullptr;
}

std::int32_t RangeOption(const Args& a, const char* verb, const char* key, std::int32_t fallback,
                         IntRange range) {
  long v = a.IntOption(key, fallback);
  if (!range.Contains(v))
    Usage(std::string(verb) + ": " + key + " must lie in " + std::to_string(range.lo) + " to " +
          std::to_string(range.hi));
  return static_cast<std::int32_t>(v);
}

// save FILE [options]: the options dialog answered with these values, then OK.
void Save(Session& s, const Args& a) {
  a.Expect(1, 1,
           {"heidenhain", "incremental", "nnum", "r", "info", "tool", "offset", "spindle",
            "program", "diag", "startend", "comment", "editor", "verify", "hstyle"});
  CDocument& doc = *s.doc;
  CNcOutputDlg dlg;
  dlg.outputPath = a[0];
  dlg.TakeLayerDefaults(doc.layers[doc.layers.workLayer], doc.nc.heidenhainOutChk);
  // Every value is checked before anything is written.
  const std::int32_t spindle =
      RangeOption(a, "save", "spindle", dlg.spindle, CNcOutputDlg::kSpindleRange);
  const std::int32_t offset =
      RangeOption(a, "save", "offset", dlg.toolOffset, CNcOutputDlg::kToolOffsetRange);
  const std::int32_t tool =
      RangeOption(a, "save", "tool", dlg.toolNumber, CNcOutputDlg::kToolNumberRange);
  const std::int32_t program =
      RangeOption(a, "save", "program", dlg.programNumber, CNcOutputDlg::kProgramNumberRange);
  const bool heidenhain = a.FlagOption("heidenhain", dlg.heidenhain);
  const bool incremental = a.FlagOption("incremental", false);
  // hstyle=classic|tnc: the Heidenhain style; the last save's is remembered (korvo.par).
  bool tnc = doc.nc.heidenhainStyleChk == 1;
  if (const std::string* style = a.Option("hstyle")) {
    if (*style != "classic" && *style != "tnc") Usage("save: hstyle must be classic or tnc");
    tnc = *style == "tnc";
  }
  dlg.tncStyle = tnc;
  dlg.blockNumbers = a.FlagOption("nnum", dlg.blockNumbers);
  dlg.ijkToR = a.FlagOption("r", dlg.ijkToR);
  dlg.machiningInfo = a.FlagOption("info", dlg.machiningInfo);
  dlg.diagonalRapidCheck = a.FlagOption("diag", dlg.diagonalRapidCheck);
  dlg.openInEditor = a.FlagOption("editor", dlg.openInEditor);
  dlg.spindle = spindle;
  dlg.toolOffset = offset;
  if (a.Has("tool")) {
    dlg.toolChange = tool != 0;
    dlg.toolNumber = tool;
  }
  if (a.Has("program")) {
    dlg.programNumberOn = program != 0;
    dlg.programNumber = program;
  }
  if (const std::string* src = a.Option("startend")) {
    dlg.fileStartEnd = true;
    dlg.sourcePath = *src;
  }
  if (const std::string* c = a.Option("comment")) dlg.comment = *c;
  // Our rule: the dialog refuses the incremental box while Heidenhain is ticked and goes on
  // with an absolute Heidenhain program; a script that asks for both is refused instead, so
  // that no file is written in a form that was not asked for.
  if (heidenhain && incremental)
    Usage("save: incremental output cannot be written as a Heidenhain program; nothing written");
  // The two boxes as the user ticks them: Heidenhain first, then incremental.
  dlg.heidenhain = false;
  if (heidenhain) dlg.TickHeidenhain(s.app.Msg());
  if (incremental) dlg.TickIncremental(s.app.Msg());
  NcVerifyResult verified;
  Check(SaveNcCommand(s.app, doc, dlg, doc.nc.heidenhainOutChk, Verifying(a, verified)), "save");
}

// savelayers FILE LIST [verify=1]: LIST as typed in "출력 layer"; several words are joined by
// blanks. The verify=1 word may stand anywhere among them: a layer list holds no "=".
void SaveLayers(Session& s, const Args& a) {
  a.Expect(2, 1000, {"verify"});
  std::string list;
  for (std::size_t i = 1; i < a.size(); ++i) list += a[i] + " ";
  NcVerifyResult verified;
  Check(SaveLayersCommand(s.app, *s.doc, a[0], list, s.doc->nc.heidenhainOutChk,
                          Verifying(a, verified)),
        "savelayers");
}

// The answers of the value prompts given on the command line ("?X=12.5"), by letter; a
// prompt without one goes to the session's platform (its values queue, else the value in
// force).
class PresetPrompts : public Platform {
 public:
  explicit PresetPrompts(Platform& base) : base_(base) {}
  Answer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     MessageButtons buttons) override {
    return base_.ShowMessage(text, caption, icon, buttons);
  }
  std::optional<std::string> AskValue(std::string_view caption, std::string_view label,
                                      std::string_view current) override {
    std::string_view l = label;
    if (!l.empty() && l.front() == '\t') l.remove_prefix(1);
    if (!l.empty()) {
      auto it = values.find(l.front());
      if (it != values.end()) return it->second;
    }
    return base_.AskValue(caption, label, current);
  }
  void SetHelpText(std::string_view text) override { base_.SetHelpText(text); }
  void ShowNotice(std::string_view text) override { base_.ShowNotice(text); }
  bool EscapePressed() override { return base_.EscapePressed(); }
  std::uint64_t TickCount() override { return base_.TickCount(); }
  bool HonoursQuietTime() const override { return base_.HonoursQuietTime(); }
  bool OpenInEditor(const std::string& editor, const std::string& path) override {
    return base_.OpenInEditor(editor, path);
  }
  bool OpenDocument(const std::string& path) override { return base_.OpenDocument(path); }

  std::map<char, std::string> values;

 private:
  Platform& base_;
};

// post FILE [ppr=TEMPLATE] [spindle=S] [tool=T] [program=O] [?X=VALUE ...]
void Post(Session& s, const Args& a) {
  a.Expect(1, 1000, {"ppr", "spindle", "tool", "program", "verify"});
  PresetPrompts prompts(s.platform);
  for (std::size_t i = 1; i < a.size(); ++i) {
    const std::string& w = a[i];
    static const std::string kLetters = "FHIJKNOSTXYZ";
    if (w.size() < 4 || w[0] != '?' || kLetters.find(w[1]) == std::string::npos || w[2] != '=')
      Usage("post: unexpected word '" + w + "' (prompt answers are ?X=VALUE, X one of " + kLetters +
            ")");
    ParseReal(std::string_view(w).substr(3), w.substr(0, 2).c_str());
    prompts.values[w[1]] = w.substr(3);
  }
  CDocument& doc = *s.doc;
  CPostProcessorDlg dlg;
  dlg.outputPath = a[0];
  dlg.TakeLayerDefaults(doc.layers[doc.layers.workLayer]);
  dlg.spindle = RangeOption(a, "post", "spindle", dlg.spindle, CPostProcessorDlg::kSpindleRange);
  if (a.Has("tool")) {
    dlg.toolNumber =
        RangeOption(a, "post", "tool", dlg.toolNumber, CPostProcessorDlg::kToolNumberRange);
    dlg.toolChange = dlg.toolNumber != 0;
  }
  if (a.Has("program")) {
    dlg.programNumber = RangeOption(a, "post", "program", dlg.programNumber,
                                    CPostProcessorDlg::kProgramNumberRange);
    dlg.programNumberOn = dlg.programNumber != 0;
  }
  dlg.prompts = &prompts;
  NcVerifyResult verified;
  NcVerifyResult* verifying = Verifying(a, verified);
  // Every option is checked; now, as the dialog does: a template taken from PostDir first
  // installs the shipped templates there where they are missing; then the defaults and the
  // file. A file that is still missing leaves every section undefined, and the command says
  // it is missing.
  const std::string ppr = a.Has("ppr") ? ResolveTemplatePath(s.app, *a.Option("ppr"))
                                       : s.app.settings.postDir + "/default.ppr";
  if (ppr.rfind(s.app.settings.postDir + "/", 0) == 0) InstallPostTemplates(s.app);
  dlg.ppr.LoadTemplate(ppr);
  dlg.ppr.name = ppr;
  Check(PostProcessCommand(s.app, doc, dlg, verifying), "post");
}

// ppr save FILE [from=TEMPLATE]: "PP저장" with the defaults or a template read from a file.
void Ppr(Session& s, const Args& a) {
  a.Expect(2, 2, {"from"});
  if (a[0] != "save") Usage("ppr: only 'ppr save FILE [from=TEMPLATE]'");
  CPostTemplate t;
  if (const std::string* from = a.Option("from")) {
    if (!t.LoadTemplate(*from)) {
      if (t.loadError == FileReadError::Missing || t.loadError == FileReadError::CannotOpen)
        Failure("ppr: cannot open template '" + *from + "'");
      s.app.Msg().ShowReadError(t.loadError, t.loadPath);
      Failure("ppr: " + DescribeReadError(t.loadError, t.loadPath, CPostTemplate::kFileLimit));
    } else if (!t.DefinesAnySection()) {
      // Saving it would write the built-in sections under the new name, as if it had been read.
      s.app.Msg().ShowFileError(Txt::TemplateDefinesNone, *from);
      Failure("ppr: the template '" + *from + "' defines no section; nothing written");
    }
  }
  Check(s.app.MakeFolderFor(a[1]), "ppr");
  Check(t.SaveTemplate(s.app.Msg(), a[1]), "ppr");
}

// ---- Shortcuts -----------------------------------------------------------------------
struct ShortcutArgs {
  std::string in, out;
  std::vector<std::string> options;  // key=value
};

ShortcutArgs ParseShortcut(const char* name, const std::vector<std::string>& args,
                           bool allowPrompts) {
  ShortcutArgs r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w == "-o") {
      if (i + 1 >= args.size()) Usage(std::string(name) + ": -o needs a file");
      r.out = args[++i];
    } else if (w.rfind("--", 0) == 0 && w.size() > 2) {
      std::string opt = w.substr(2);
      if (opt.find('=') == std::string::npos) {
        if (i + 1 >= args.size()) Usage(std::string(name) + ": " + w + " needs a value");
        opt += "=" + args[++i];
      }
      r.options.push_back(opt);
    } else if (allowPrompts && w.size() > 1 && w[0] == '?') {
      r.options.push_back(w);
    } else if (r.in.empty()) {
      r.in = w;
    } else {
      Usage(std::string(name) + ": unexpected word '" + w + "'");
    }
  }
  if (r.in.empty() || r.out.empty())
    Usage(std::string(name) + ": needs an input program and -o OUTPUT");
  return r;
}

void LoadForShortcut(Session& s, const char* name, const std::string& path) {
  Check(LoadNcCommand(s.app, *s.doc, path), name);
}

int ConvertShortcut(Session& s, const std::vector<std::string>& args) {
  ShortcutArgs r = ParseShortcut("convert", args, false);
  LoadForShortcut(s, "convert", r.in);
  std::vector<std::string> words{"save", r.out};
  bool editorGiven = false;
  for (const std::string& o : r.options) editorGiven |= o.rfind("editor=", 0) == 0;
  // A conversion from the command line opens no editor unless asked to.
  if (!editorGiven) words.push_back("editor=0");
  words.insert(words.end(), r.options.begin(), r.options.end());
  RunCommand(s, words);
  return 0;
}

int PostShortcut(Session& s, const std::vector<std::string>& args) {
  ShortcutArgs r = ParseShortcut("post", args, true);
  LoadForShortcut(s, "post", r.in);
  std::vector<std::string> words{"post", r.out};
  words.insert(words.end(), r.options.begin(), r.options.end());
  RunCommand(s, words);
  return 0;
}

VerbRegistrar registrar{
    {"save",
     "save FILE [heidenhain=0|1] [incremental=0|1] [nnum=0|1] [r=0|1] [info=0|1] [tool=T] "
     "[offset=H] [spindle=S] [program=O] [diag=0|1] [startend=SOURCE] [comment=\"...\"] "
     "[editor=0|1] [verify=0|1] [hstyle=classic|tnc]   write the work layer as an NC program "
     "(verify=1: read it back and compare; hstyle: the Heidenhain style, remembered)",
     Save},
    {"savelayers",
     "savelayers FILE LIST [verify=0|1]   write the listed layers (\"1 3-5 2\") into one program",
     SaveLayers},
    {"post",
     "post FILE [ppr=TEMPLATE] [spindle=S] [tool=T] [program=O] [verify=0|1] [?X=VALUE ...]   "
     "write the work layer through a post-processor template (default PostDir/default.ppr; a "
     "bare name such as fanuc-haas, heidenhain or linuxcnc is taken from PostDir, where the "
     "shipped templates are installed on first use)",
     Post},
    {"ppr",
     "ppr save FILE [from=TEMPLATE]   save the default (or a loaded) post-processor template", Ppr},
};

ShortcutRegistrar shortcuts{
    {"convert",
     "convert IN -o OUT [--key=value ...]   load an NC program and save it (save's options, "
     "--verify=1 among them)",
     ConvertShortcut},
    {"post", "post IN -o OUT --ppr TEMPLATE [?X=VALUE ...]   load an NC program and convert it",
     PostShortcut},
};

}  // namespace

}  // namespace trevalon::cli
