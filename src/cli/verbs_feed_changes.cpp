// The verb of the feed changes by rule and by region: "feed set", "feed window", "feed
// polygon", "feed arc", "feed length" and "feed machine". The rule verbs keep their values from
// one use to the next in the session, as the desktop's dialogs do: an option not given keeps
// the value of the last use (the dialog's first values at first), and a use that is refused
// for a bad value changes none of them.

#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/script.h"
#include "feed/feed_changes.h"
#include "feed/machine_feed.h"

namespace trevalon::cli {

namespace {

constexpr const char* kUsage =
    "feed: set F, window max|min F X1 Y1 X2 Y2, polygon max|min F X1 Y1 X2 Y2 X3 Y3 ..., arc "
    "[options], length [options] or machine [options]";

std::string RangeText(long lo, long hi) {
  return std::to_string(lo) + " to " + std::to_string(hi);
}
std::string RangeText(double lo, double hi) {
  char text[80];
  std::snprintf(text, sizeof text, "%g to %g", lo, hi);
  return text;
}

// The feed of a value prompt: a number, truncated to a whole feed.
long FeedValue(const Args& a, std::size_t i, const std::string& verb) {
  const double t = std::trunc(a.Real(i, "F"));
  if (!(t >= kFeedValueRange.lo && t <= kFeedValueRange.hi))
    Usage(verb + ": F lies in " + RangeText(kFeedValueRange.lo, kFeedValueRange.hi));
  return static_cast<long>(t);
}

void Int(const Args& a, const char* key, std::int32_t& field, IntRange range,
         const std::string& verb) {
  if (!a.Has(key)) return;
  const long v = a.IntOption(key, 0);
  if (!range.Contains(v)) Usage(verb + ": " + key + " lies in " + RangeText(range.lo, range.hi));
  field = static_cast<std::int32_t>(v);
}

void Real(const Args& a, const char* key, double& field, RealRange range, const std::string& verb) {
  if (!a.Has(key)) return;
  const double v = a.RealOption(key, 0);
  if (!range.Contains(v)) Usage(verb + ": " + key + " lies in " + RangeText(range.lo, range.hi));
  field = v;
}

void Flag(const Args& a, const char* key, std::int32_t& field) {
  if (a.Has(key)) field = a.FlagOption(key, false) ? 1 : 0;
}

// first=F ticks "Feed 변경후 감속" with the feed F; first=0 clears the tick.
void First(const Args& a, std::int32_t& tick, std::int32_t& feed, IntRange range,
           const std::string& verb) {
  if (!a.Has("first")) return;
  const long v = a.IntOption("first", 0);
  if (v == 0) {
    tick = 0;
    return;
  }
  if (!range.Contains(v))
    Usage(verb + ": first is 0 (off) or lies in " + RangeText(range.lo, range.hi));
  tick = 1;
  feed = static_cast<std::int32_t>(v);
}

void Report(Session& s, const std::string& verb, const std::string& settings,
            const FeedChangeSummary& r) {
  s.out << verb << (settings.empty() ? "" : " ") << settings << ": " << r.changed
        << " feeds changed";
  if (r.added) s.out << ", " << r.added << " points added";
  s.out << '\n';
}

FeedLimit LimitOf(const Args& a, const std::string& verb) {
  if (a.size() < 2 || (a[1] != "max" && a[1] != "min")) Usage(verb + ": max or min");
  return a[1] == "max" ? FeedLimit::Ceiling : FeedLimit::Floor;
}

void Set(Session& s, const Args& a) {
  a.Expect(2, 2);
  const long f = FeedValue(a, 1, "feed set");
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, ChangeFeedCommand(ctx, f, &r), "feed set");
  Report(s, "feed set", {}, r);
}

void Window(Session& s, const Args& a) {
  const std::string verb = "feed window";
  a.Expect(7, 7);
  const FeedLimit limit = LimitOf(a, verb);
  const long f = FeedValue(a, 2, verb);
  const long x1 = a.Int(3, "X1"), y1 = a.Int(4, "Y1"), x2 = a.Int(5, "X2"), y2 = a.Int(6, "Y2");
  for (long v : {x1, y1, x2, y2})
    if (v < -1000000 || v > 1000000)
      Usage(verb + ": window coordinates lie in -1000000 to 1000000");
  // The rubber band's rule: a window that starts left of or above the view, or whose corners
  // are less than 2 pixels apart, is refused and changes nothing.
  if (const char* why = Region::WindowRefusal(static_cast<int>(x1), static_cast<int>(y1),
                                              static_cast<int>(x2), static_cast<int>(y2))) {
    CheckEdit(s, Outcome::Unchanged(why), verb);
    return;
  }
  const Region region = Region::Window(static_cast<int>(x1), static_cast<int>(y1),
                                       static_cast<int>(x2), static_cast<int>(y2), s.doc->view);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, RegionFeedCommand(ctx, region, limit, f, &r), verb);
  Report(s, verb, {}, r);
}

void Polygon(Session& s, const Args& a) {
  const std::string verb = "feed polygon";
  if (a.size() < 3) Usage(verb + ": max|min F X1 Y1 X2 Y2 X3 Y3 ...");
  const FeedLimit limit = LimitOf(a, verb);
  const long f = FeedValue(a, 2, verb);
  a.Expect(3, a.size());
  if ((a.size() - 3) % 2 != 0) Usage(verb + ": the vertices come in pairs X Y");
  // The vertices are taken as written: the 5-pixel rule of the mouse input, which absorbs the
  // vertices a held button keeps producing, has nothing to absorb here.
  std::vector<RegionPoint> vertices;
  for (std::size_t i = 3; i + 1 < a.size(); i += 2) {
    const double x = a.Real(i, "X"), y = a.Real(i + 1, "Y");
    if (std::fabs(x) > 1000000 || std::fabs(y) > 1000000)
      Usage(verb + ": vertex coordinates lie in -1000000 to 1000000");
    vertices.push_back({x, y, 0});
  }
  if (vertices.size() < 3) {
    CheckEdit(s, Outcome::Unchanged("a polygon needs at least 3 vertices"), verb);
    return;
  }
  if (vertices.size() >= kFeedPolygonVertexLimit) {
    CheckEdit(s,
              Outcome::Unchanged("a polygon takes fewer than " +
                                 std::to_string(kFeedPolygonVertexLimit) + " vertices"),
              verb);
    return;
  }
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, RegionFeedCommand(ctx, Region::Polygon(std::move(vertices)), limit, f, &r), verb);
  Report(s, verb, {}, r);
}

void Arc(Session& s, const Args& a) {
  const std::string verb = "feed arc";
  a.Expect(1, 1, {"rmin", "fmin", "rmax", "fmax", "safe", "first"});
  ArcFeedOptions o = s.Remembered<ArcFeedOptions>(verb);
  Real(a, "rmin", o.minRadius, kArcRadiusRange, verb);
  Int(a, "fmin", o.minRadiusFeed, kArcFeedRange, verb);
  Real(a, "rmax", o.maxRadius, kArcRadiusRange, verb);
  Int(a, "fmax", o.maxRadiusFeed, kArcFeedRange, verb);
  Real(a, "safe", o.safety, kArcSafetyRange, verb);
  First(a, o.setFirst, o.firstFeed, kArcFirstFeedRange, verb);
  s.Remembered<ArcFeedOptions>(verb) = o;
  char settings[200];
  std::snprintf(settings, sizeof settings, "rmin=%g fmin=%d rmax=%g fmax=%d safe=%g first=%d",
                o.minRadius, o.minRadiusFeed, o.maxRadius, o.maxRadiusFeed, o.safety,
                o.setFirst ? o.firstFeed : 0);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, ArcFeedCommand(ctx, o, &r), verb);
  Report(s, verb, settings, r);
}

void Length(Session& s, const Args& a) {
  const std::string verb = "feed length";
  a.Expect(1, 1, {"lmin", "fmin", "lmax", "fmax", "first"});
  LengthFeedOptions o = s.Remembered<LengthFeedOptions>(verb);
  Real(a, "lmin", o.minLength, kMinLengthRange, verb);
  Int(a, "fmin", o.minLengthFeed, kLengthFeedRange, verb);
  Real(a, "lmax", o.maxLength, kMaxLengthRange, verb);
  Int(a, "fmax", o.maxLengthFeed, kLengthFeedRange, verb);
  First(a, o.setFirst, o.firstFeed, kLengthFirstFeedRange, verb);
  s.Remembered<LengthFeedOptions>(verb) = o;
  char settings[200];
  std::snprintf(settings, sizeof settings, "lmin=%g fmin=%d lmax=%g fmax=%d first=%d", o.minLength,
                o.minLengthFeed, o.maxLength, o.maxLengthFeed, o.setFirst ? o.firstFeed : 0);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, LengthFeedCommand(ctx, o, &r), verb);
  Report(s, verb, settings, r);
}

void Machine(Session& s, const Args& a) {
  const std::string verb = "feed machine";
  a.Expect(1, 1, {"name", "baud", "max", "min", "rapid", "unit", "weight", "smooth", "setmax"});
  MachineFeedOptions o = s.Remembered<MachineFeedOptions>(verb);
  if (const std::string* name = a.Option("name")) {
    if (!FindMachine(*name)) {
      std::string names;
      for (const MachineType& m : kMachines)
        names += std::string(names.empty() ? "" : ", ") + m.name;
      Usage(verb + ": name is one of " + names);
    }
    o.machine = *name;
  }
  if (a.Has("baud")) {
    const long rate = a.IntOption("baud", 0);
    if (!KnownTransferRate(rate))
      Usage(verb + ": baud is one of 2400, 4800, 9600, 19200, 38400, 56800");
    o.transferRate = static_cast<std::int32_t>(rate);
  }
  Int(a, "max", o.maxFeed, kMachineMaxFeedRange, verb);
  Int(a, "min", o.minFeed, kMachineMinFeedRange, verb);
  Int(a, "rapid", o.rapidFeed, kRapidFeedRange, verb);
  Int(a, "unit", o.unit, kMachineFeedUnitRange, verb);
  Int(a, "weight", o.weight, kCncWeightRange, verb);
  Flag(a, "smooth", o.smooth);
  Flag(a, "setmax", o.setMax);
  ConfirmMachineChoice(o);  // the dialog's OK
  s.Remembered<MachineFeedOptions>(verb) = o;
  char settings[300];
  std::snprintf(settings, sizeof settings,
                "name=%s blocks=%d baud=%d max=%d min=%d rapid=%d unit=%d weight=%d smooth=%d "
                "setmax=%d",
                o.machine.c_str(), o.blockCount, o.transferRate, o.maxFeed, o.minFeed, o.rapidFeed,
                o.unit, o.weight, o.smooth, o.setMax);
  EditContext ctx = MakeEditContext(s.app, *s.doc);
  FeedChangeSummary r;
  CheckEdit(s, MachineFeedCommand(ctx, o, &r), verb);
  Report(s, verb, settings, r);
}

void Feed(Session& s, const Args& a) {
  if (a.size() < 1) Usage(kUsage);
  const std::string& what = a[0];
  if (what == "set") return Set(s, a);
  if (what == "window") return Window(s, a);
  if (what == "polygon") return Polygon(s, a);
  if (what == "arc") return Arc(s, a);
  if (what == "length") return Length(s, a);
  if (what == "machine") return Machine(s, a);
  Usage(kUsage);
}

VerbRegistrar registrar{
    {"feed",
     "feed set F | window max|min F X1 Y1 X2 Y2 | polygon max|min F X1 Y1 X2 Y2 X3 Y3 ... | arc "
     "[rmin=] [fmin=] [rmax=] [fmax=] [safe=] [first=F|0] | length [lmin=] [fmin=] [lmax=] "
     "[fmax=] [first=F|0] | machine [name=] [baud=] [max=] [min=] [rapid=] [unit=] [weight=0..100] "
     "[smooth=0|1] [setmax=0|1]   change feeds by value, region or rule (undoable); a rule's "
     "options keep their last values",
     Feed},
};

}  // namespace

}  // namespace trevalon::cli
