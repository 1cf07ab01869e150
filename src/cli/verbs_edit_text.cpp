// The verbs of the program text as an editor: editing lines, renumbering blocks, saving the
// text, showing it, and choosing what follows when a command changed the toolpath.

#include <ostream>

#include "app/load_commands.h"
#include "app/text_edit_commands.h"
#include "cli/script.h"

namespace trevalon::cli {

namespace {

std::size_t LineNumber(const Args& a, std::size_t i, const char* what) {
  const long n = a.Int(i, what);
  if (n < 1) Usage(a.verb() + ": " + what + " must be 1 or more");
  return static_cast<std::size_t>(n);
}

// What the re-read did, for the script's reader.
void SayChange(Session& s) {
  const EditedText& et = s.doc->text;
  s.out << "text: " << et.lines.Count() << " lines; toolpath: " << s.doc->store.count
        << " records (records " << et.changedFirst << " to "
        << (et.changedCount ? et.changedFirst + et.changedCount - 1 : et.changedFirst)
        << " read again)\n";
}

// edit LINE "TEXT" | edit delete FROM TO | edit insert LINE "TEXT"
void Edit(Session& s, const Args& a) {
  if (a.size() >= 1 && a[0] == "delete") {
    a.Expect(3, 3);
    Check(DeleteTextLines(s.app, *s.doc, LineNumber(a, 1, "FROM"), LineNumber(a, 2, "TO")),
          "edit delete");
  } else if (a.size() >= 1 && a[0] == "insert") {
    a.Expect(3, 3);
    Check(InsertTextLine(s.app, *s.doc, LineNumber(a, 1, "LINE"), a[2]), "edit insert");
  } else {
    a.Expect(2, 2);
    Check(EditTextLine(s.app, *s.doc, LineNumber(a, 0, "LINE"), a[1]), "edit");
  }
  SayChange(s);
}

// renumber [start=10] [step=10] [every=0|1]
void Renumber(Session& s, const Args& a) {
  a.Expect(0, 0, {"start", "step", "every"});
  RenumberOptions o;
  o.start = a.IntOption("start", o.start);
  o.step = a.IntOption("step", o.step);
  o.every = a.FlagOption("every", o.every);
  CheckEdit(s, RenumberBlocks(s.app, *s.doc, o), "renumber");
  if (s.doc->text.open) SayChange(s);
}

// savetext FILE
void SaveText(Session& s, const Args& a) {
  a.Expect(1, 1);
  Check(SaveProgramText(s.app, *s.doc, a[0]), "savetext");
}

// textlines [FROM [TO]]: the lines of the text as edited, "LINE: TEXT".
void ShowText(Session& s, const Args& a) {
  a.Expect(0, 2);
  Check(OpenProgramText(s.app, *s.doc), "textlines");
  const EditedText& et = s.doc->text;
  const std::size_t count = et.lines.Count();
  const std::size_t from = a.size() >= 1 ? LineNumber(a, 0, "FROM") : 1;
  const std::size_t to = a.size() >= 2 ? LineNumber(a, 1, "TO") : a.size() == 1 ? from : count;
  for (std::size_t i = from; i <= to && i <= count; ++i)
    s.out << i << ": " << et.lines.Line(et.text, i - 1) << "\n";
}

// textsync | textsync keep | textsync write FILE
void TextSync(Session& s, const Args& a) {
  a.Expect(0, 2);
  CDocument& doc = *s.doc;
  if (a.size() == 0) {
    const std::string notice = TextNoLongerDescribes(s.app, doc);
    if (doc.text.path.empty())
      s.out << "no program text\n";
    else if (notice.empty())
      s.out << "the text describes the toolpath" << (doc.text.Unsaved() ? " (text not saved)" : "")
            << "\n";
    else
      s.out << notice << "\n";
    return;
  }
  if (a[0] == "keep") {
    a.Expect(1, 1);
    // The text stays as it is; the next edit reads it whole, and the toolpath becomes what it
    // reads as again.
    s.out << "the text is kept; the next edit reads it whole\n";
    return;
  }
  if (a[0] != "write" || a.size() != 2) Usage("textsync: keep, or write FILE");
  Check(TextFromToolpath(s.app, doc, a[1]), "textsync write");
  SayChange(s);
}

VerbRegistrar registrar{
    {"edit",
     "edit LINE \"TEXT\" | edit delete FROM TO | edit insert LINE \"TEXT\"   change the program "
     "text; the toolpath follows",
     Edit},
    {"renumber", "renumber [start=10] [step=10] [every=0|1]   renumber the blocks' N words",
     Renumber},
    {"savetext", "savetext FILE   write the program text as edited", SaveText},
    {"textlines", "textlines [FROM [TO]]   show lines of the program text as edited", ShowText},
    {"textsync",
     "textsync [keep | write FILE]   whether the text still describes the toolpath; keep the "
     "text, or write the toolpath as the text (verified)",
     TextSync},
};

}  // namespace

}  // namespace trevalon::cli
