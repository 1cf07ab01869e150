// Verbs of the optimiser's inputs: the cutting conditions of channel 1 (condition files, the
// fields by name, the transfer dialog's feed boxes, the master-model file name) and the
// document's master model.

#include <cstdio>
#include <ostream>

#include "app/master_model_commands.h"
#include "cli/script.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"
#include "feed/master_model.h"

namespace trevalon::cli {

namespace {

ChannelSettings& Channel(Session& s) {
  return s.app.FeedControl().channels[1];
}

void ShowConditions(Session& s, const CuttingConditions& c) {
  std::size_t n = 0;
  const ConditionField* fields = ConditionFields(n);
  for (std::size_t i = 0; i < n; ++i)
    s.out << fields[i].name << ' ' << FormatConditionValue(c, fields[i]) << '\n';
  // Our own keys only when set, as the file writes them.
  const ConditionField* own = OwnConditionFields(n);
  for (std::size_t i = 0; i < n; ++i) {
    const ConditionField& f = own[i];
    if (f.kind == ConditionKind::Real ? c.*f.real != 0.0f : c.*f.integer != 0)
      s.out << f.name << ' ' << FormatConditionValue(c, f) << '\n';
  }
}

// One FIELD=VALUE of `lmx set`, checked strictly (a script's typing error is an error, not a
// 0 as in a hand-edited file).
void SetField(CuttingConditions& c, const ConditionField& f, const std::string& value,
              const std::string& masterFile, Session& s) {
  std::string what = std::string("lmx set: ") + f.name;
  switch (f.kind) {
    case ConditionKind::Real: {
      double v = ParseReal(value, what.c_str());
      const RealRange range = ConditionFieldRange(f);
      if (!range.Contains(v))
        Usage(what + " must lie in " + std::to_string(range.lo) + " to " +
              std::to_string(range.hi) + (range.aboveLo ? " (above " : "") +
              (range.aboveLo ? std::to_string(range.lo) + ")" : ""));
      c.*f.real = static_cast<float>(v);
      break;
    }
    case ConditionKind::Integer: {
      long v = ParseInt(value, what.c_str());
      // Every optimised feed is a multiple of the unit, so it must be at least 1.
      const bool unit = f.integer == &CuttingConditions::FeedChgAng;
      const IntRange range = unit ? kFeedUnitRange : kConditionFeedRange;
      if (unit && v < range.lo) Usage(what + " must be at least 1");
      if (!range.Contains(v)) Usage(what + " is out of range");
      c.*f.integer = static_cast<std::int32_t>(v);
      break;
    }
    case ConditionKind::Flag: {
      if (value != "0" && value != "1") Usage(what + " must be 0 or 1, not '" + value + "'");
      int on = value == "1";
      if (f.integer == &CuttingConditions::LmxByMaster) {
        if (SetLmxByMaster(c, on, masterFile) != on)
          s.err << "lmx set: LmxByMaster stays 0: choose a master-model file first (mma FILE)\n";
      } else {
        c.*f.integer = on;
      }
      break;
    }
    case ConditionKind::Word:
      if (value.empty() || value.find_first_of(" \t\r\n\v\f") != std::string::npos)
        Usage(what + " must be one word");
      c.*f.word = value;
      break;
  }
}

void Lmx(Session& s, const Args& a) {
  if (a.size() < 1) Usage("lmx: load FILE, save FILE, set FIELD=VALUE... or show");
  const std::string& what = a[0];
  ChannelSettings& ch = Channel(s);
  if (what == "load") {
    a.Expect(2, 2);
    Check(ReadConditionsFile(s.app.Msg(), a[1], ch.conditions), "lmx load");
  } else if (what == "save") {
    a.Expect(2, 2);
    Check(s.app.MakeFolderFor(a[1]), "lmx save");
    Check(WriteConditionsFile(s.app.Msg(), a[1], ch.conditions), "lmx save");
  } else if (what == "set") {
    if (a.size() != 1) Usage("lmx set: FIELD=VALUE...");
    if (a.options().empty()) Usage("lmx set: FIELD=VALUE...");
    CuttingConditions c = ch.conditions;  // all or nothing
    for (const auto& [key, value] : a.options()) {
      const ConditionField* f = FindConditionField(key);
      if (!f) Usage("lmx set: unknown field '" + key + "'");
      SetField(c, *f, value, ch.masterModelFile, s);
    }
    ch.conditions = c;
  } else if (what == "show") {
    a.Expect(1, 1);
    ShowConditions(s, ch.conditions);
  } else {
    Usage("lmx: load FILE, save FILE, set FIELD=VALUE... or show");
  }
}

// One opening of the transfer dialog on channel 1 and its OK: the opening (the first one in
// the session makes SlopeMaxReduction follow the corner reduction), then the boxes the script
// changes (a changed box recomputes the reductions), then the result.
void Transfer(Session& s, const Args& a) {
  a.Expect(0, 0, {"max", "min"});
  auto box = [&](const char* key) {
    long v = a.IntOption(key, 0);
    if (!kTransferFeedRange.Contains(v))
      Usage(std::string("transfer: ") + key + " lies in " + std::to_string(kTransferFeedRange.lo) +
            " to " + std::to_string(kTransferFeedRange.hi));
    return static_cast<int>(v);
  };
  int maxBox = box("max"), minBox = box("min");
  CFeedControl& fc = s.app.FeedControl();
  fc.currentChannel = 1;
  fc.OpenTransferDialog();
  CuttingConditions& c = fc.Current().conditions;
  FeedBoxes boxes = TransferDialogBoxes(c);
  if (a.Has("max")) boxes.maxFeed = maxBox;
  if (a.Has("min")) boxes.minFeed = minBox;
  if (a.Has("max") || a.Has("min")) ApplyFeedBoxes(c, boxes.maxFeed, boxes.minFeed);
  char line[200];
  std::snprintf(line, sizeof line,
                "max %d min %d MaxFeed %d CornerMaxReduction %f SlopeMaxReduction %f\n",
                boxes.maxFeed, boxes.minFeed, c.MaxFeed, static_cast<double>(c.CornerMaxReduction),
                static_cast<double>(c.SlopeMaxReduction));
  s.out << line;
}

void Mma(Session& s, const Args& a) {
  a.Expect(0, 1);
  ChannelSettings& ch = Channel(s);
  // Without a file the choice is cancelled: the name is emptied.
  ch.masterModelFile = a.size() == 1 ? MasterModelFileName(a[0]) : std::string();
  s.out << "MMA : " << ch.masterModelFile << '\n';
}

void PrintMaster(Session& s) {
  const MasterModel& m = s.doc->master;
  char line[200];
  std::snprintf(line, sizeof line, "master %u x %u cells (%u), cell size %f, shown %d\n",
                m.header.columns, m.header.rows, m.CellCount(), m.header.cellSize, m.shown);
  s.out << line;
}

void Master(Session& s, const Args& a) {
  if (a.size() < 1) Usage("master: create, save FILE, load FILE, delete or show");
  const std::string& what = a[0];
  MasterModel& m = s.doc->master;
  if (what == "create") {
    a.Expect(1, 1, {"tool", "allowance", "tol"});
    double tool = a.RealOption("tool", m.toolDiameter);
    double allowance = a.RealOption("allowance", m.allowance);
    double tol = a.RealOption("tol", m.tolerance);
    if (!MasterModel::kToleranceRange.Contains(tol))
      Usage("master create: tol must lie above 0 and up to 1000");
    if (!MasterModel::kToolDiameterRange.Contains(tool))
      Usage("master create: tool must lie in 0 to 1000");
    if (!MasterModel::kAllowanceRange.Contains(allowance))
      Usage("master create: allowance must lie in -1000 to 1000");
    m.toolDiameter = tool;
    m.allowance = allowance;
    m.tolerance = tol;
    Check(CreateMasterModel(s.app, *s.doc), "master create");
    PrintMaster(s);
  } else if (what == "save") {
    a.Expect(2, 2);
    Check(SaveMasterModel(s.app, *s.doc, a[1]), "master save");
  } else if (what == "load") {
    a.Expect(2, 2);
    Check(LoadMasterModel(s.app, *s.doc, a[1]), "master load");
    PrintMaster(s);
  } else if (what == "delete") {
    a.Expect(1, 1);
    (void)DeleteMasterModel(s.app, *s.doc);  // a "no" to the question is not a failure
  } else if (what == "show") {
    a.Expect(1, 1);
    (void)ToggleMasterModelDisplay(*s.doc);  // without a model the display stays off
    PrintMaster(s);
  } else {
    Usage("master: create, save FILE, load FILE, delete or show");
  }
}

VerbRegistrar registrar{
    {"lmx",
     "lmx load FILE | save FILE | set FIELD=VALUE... | show   cutting conditions of channel 1",
     Lmx},
    {"transfer", "transfer [max=F] [min=F]   the transfer dialog's feed boxes and reductions",
     Transfer},
    {"mma", "mma [FILE]   channel 1's master-model file (\".mma\" added without \"mma\")", Mma},
    {"master",
     "master create [tool=D] [allowance=A] [tol=T] | save FILE | load FILE | delete | show",
     Master},
};

}  // namespace

}  // namespace trevalon::cli
