#include "feed/cutting_conditions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/file_io.h"
#include "platform/no_case.h"
#include "texts/messages.h"

namespace trevalon {

namespace {

using C = CuttingConditions;

// In the order of the file's lines: nine positional entries, then the keyword lines.
const ConditionField kFields[] = {
    {"ToolDiameter", ConditionKind::Real, &C::ToolDiameter},
    {"SafetyDistance", ConditionKind::Real, &C::SafetyDistance},
    {"CornerMinAngle", ConditionKind::Real, &C::CornerMinAngle},
    {"CornerMaxReduction", ConditionKind::Real, &C::CornerMaxReduction},
    {"SlopeMinAngle", ConditionKind::Real, &C::SlopeMinAngle},
    {"SlopeMaxReduction", ConditionKind::Real, &C::SlopeMaxReduction},
    {"PlungeFeed", ConditionKind::Integer, nullptr, &C::PlungeFeed},
    {"MaxFeed", ConditionKind::Integer, nullptr, &C::MaxFeed},
    {"Material", ConditionKind::Word, nullptr, nullptr, &C::Material},
    {"LmxByMaster", ConditionKind::Flag, nullptr, &C::LmxByMaster},
    {"ConCorChk", ConditionKind::Flag, nullptr, &C::ConCorChk},
    {"UpDownChk", ConditionKind::Flag, nullptr, &C::UpDownChk},
    {"FeedChgSmoothCheck", ConditionKind::Flag, nullptr, &C::FeedChgSmoothCheck},
    {"XyChgReduceCheck", ConditionKind::Flag, nullptr, &C::XyChgReduceCheck},
    {"FeedChgAng", ConditionKind::Integer, nullptr, &C::FeedChgAng},
    {"CorWeight0", ConditionKind::Real, &C::CorWeight0},
    {"CorWeight30", ConditionKind::Real, &C::CorWeight30},
    {"CorWeight60", ConditionKind::Real, &C::CorWeight60},
    {"SideWeight0", ConditionKind::Real, &C::SideWeight0},
    {"SideWeight30", ConditionKind::Real, &C::SideWeight30},
    {"SideWeight60", ConditionKind::Real, &C::SideWeight60},
    {"ZupZdown", ConditionKind::Real, &C::ZupZdown},
    {"SideCorRat", ConditionKind::Real, &C::SideCorRat},
};
constexpr std::size_t kFieldCount = sizeof kFields / sizeof kFields[0];
// Beyond the 23 lines: keyword lines of our own, written only when set.
const ConditionField kOwnFields[] = {
    {"MaxRemovalRate", ConditionKind::Real, &C::MaxRemovalRate},
    {"AirCutFeed", ConditionKind::Integer, nullptr, &C::AirCutFeed},
    {"MaxAxialDepth", ConditionKind::Real, &C::MaxAxialDepth},
    {"MaxRadialEngagement", ConditionKind::Real, &C::MaxRadialEngagement},
};
constexpr std::size_t kPositional = 9;
static_assert(kFieldCount == 23, "a condition file has 23 lines");

// The labels in front of the positional values (lines 7 is written with its own keyword).
constexpr Txt kLabels[kPositional] = {Txt::LmxToolDiameter,
                                      Txt::LmxSafetyDistance,
                                      Txt::LmxCornerMinAngle,
                                      Txt::LmxCornerMaxReduction,
                                      Txt::LmxSlopeMinAngle,
                                      Txt::LmxSlopeMaxReduction,
                                      Txt::LmxMaxFeed /* unused for line 7 */,
                                      Txt::LmxMaxFeed,
                                      Txt::LmxMaterial};

bool IsBlank(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// Whitespace-separated words, one after the other.
class Words {
 public:
  explicit Words(std::string_view text) : text_(text) {}
  bool Next(std::string_view& word) {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    word = text_.substr(start, pos_ - start);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// The usual leading-digits rule: the number at the start of the word, 0 when there is none.
// Integers beyond the 32-bit range saturate; reals that are not finite in single precision
// read as 0 like any other malformed value. Independent of the locale.
std::string_view SkipPlus(std::string_view w) {
  if (!w.empty() && w[0] == '+' && (w.size() < 2 || w[1] != '-')) w.remove_prefix(1);
  return w;
}
std::int32_t LeadingInt(std::string_view w) {
  w = SkipPlus(w);
  long long v = 0;
  auto r = std::from_chars(w.data(), w.data() + w.size(), v);
  if (r.ec == std::errc::result_out_of_range)
    return !w.empty() && w[0] == '-' ? std::numeric_limits<std::int32_t>::min()
                                     : std::numeric_limits<std::int32_t>::max();
  if (r.ec != std::errc()) return 0;
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}
float LeadingReal(std::string_view w) {
  w = SkipPlus(w);
  double v = 0.0;
  auto r = std::from_chars(w.data(), w.data() + w.size(), v);
  if (r.ec != std::errc()) return 0.0f;
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) return 0.0f;
  return static_cast<float>(v);
}

// Whether the word starts with a finite number (what the leading-digits rule reads).
bool StartsWithNumber(std::string_view w) {
  w = SkipPlus(w);
  double v = 0.0;
  auto r = std::from_chars(w.data(), w.data() + w.size(), v);
  return r.ec == std::errc::result_out_of_range || (r.ec == std::errc() && std::isfinite(v));
}

// False when a number field's word holds no finite number (it then reads as 0).
bool SetFromWord(CuttingConditions& c, const ConditionField& f, std::string_view value) {
  switch (f.kind) {
    case ConditionKind::Real:
      c.*f.real = LeadingReal(value);
      return StartsWithNumber(value);
    case ConditionKind::Integer:
    case ConditionKind::Flag:
      c.*f.integer = LeadingInt(value);
      return StartsWithNumber(value);
    case ConditionKind::Word:
      c.*f.word = std::string(value);
      return true;
  }
  return true;
}

// The field a positional entry's token names: a field's name, or the label of a positional
// field in any language; null for any other token.
const ConditionField* FieldOfToken(std::string_view token) {
  for (std::size_t n = 0; n < kFieldCount; ++n)
    if (n != 9 && EqualNoCase(token, kFields[n].name)) return &kFields[n];  // not LmxByMaster
  for (std::size_t n = 0; n < kPositional; ++n) {
    if (n == 6) continue;  // PlungeFeed is written with its name
    for (Language lang : {Language::Korean, Language::English, Language::Japanese}) {
      std::string_view label = UserText(kLabels[n], lang);
      while (!label.empty() && IsBlank(label.back())) label.remove_suffix(1);
      if (!label.empty() && token == label) return &kFields[n];
    }
  }
  return nullptr;
}

// "%f" and "%d" without the locale's decimal separator.
void AppendReal(std::string& out, float v) {
  char buf[64];
  auto r =
      std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, 6);
  out.append(buf, r.ptr);
}
void AppendInt(std::string& out, std::int32_t v) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}
void AppendValue(std::string& out, const CuttingConditions& c, const ConditionField& f) {
  switch (f.kind) {
    case ConditionKind::Real:
      AppendReal(out, c.*f.real);
      break;
    case ConditionKind::Integer:
    case ConditionKind::Flag:
      AppendInt(out, c.*f.integer);
      break;
    case ConditionKind::Word:
      out += c.*f.word;
      break;
  }
}

}  // namespace

// ---- Files -----------------------------------------------------------------------------------

std::string ConditionsFileText(const CuttingConditions& c, Language lang) {
  std::string out;
  out.reserve(640);
  for (std::size_t n = 0; n < kFieldCount; ++n) {
    const ConditionField& f = kFields[n];
    if (n < kPositional && n != 6) {
      out += UserText(kLabels[n], lang);  // the label ends in a blank
    } else {
      out += f.name;  // line 7 and the keyword lines: the keyword, one blank, the value
      out += ' ';
    }
    AppendValue(out, c, f);
    out += "\r\n";
  }
  for (const ConditionField& f : kOwnFields) {
    const bool set = f.kind == ConditionKind::Real ? c.*f.real != 0.0f : c.*f.integer != 0;
    if (!set) continue;
    out += f.name;
    out += ' ';
    AppendValue(out, c, f);
    out += "\r\n";
  }
  return out;
}

void ReadConditionsText(std::string_view text, CuttingConditions& c, std::string* notNumber) {
  auto set = [&](const ConditionField& f, std::string_view value) {
    if (!SetFromWord(c, f, value) && notNumber && notNumber->empty()) *notNumber = f.name;
  };
  Words words(text);
  std::string_view label, value;
  for (std::size_t n = 0; n < kPositional; ++n) {
    if (!words.Next(label) || !words.Next(value)) {
      KeepFeedUnitUsable(c);
      return;  // a short file leaves the rest as it was
    }
    const ConditionField* named = FieldOfToken(label);
    set(named ? *named : kFields[n], value);
  }
  std::string_view key;
  while (words.Next(key) && words.Next(value)) {
    // Master control is a decision of the user in the dialog, never of a file.
    for (std::size_t n = 0; n < kFieldCount; ++n) {
      if (n != 9 && EqualNoCase(key, kFields[n].name)) {
        set(kFields[n], value);
        break;
      }
    }
    for (const ConditionField& f : kOwnFields)
      if (EqualNoCase(key, f.name)) set(f, value);
  }
  KeepFeedUnitUsable(c);
}

RealRange ConditionFieldRange(const ConditionField& f) {
  using CC = CuttingConditions;
  if (f.kind == ConditionKind::Flag) return {0, 1};
  if (f.integer == &CC::FeedChgAng)
    return {static_cast<double>(kFeedUnitRange.lo), static_cast<double>(kFeedUnitRange.hi)};
  if (f.kind == ConditionKind::Integer)
    return {static_cast<double>(kConditionFeedRange.lo),
            static_cast<double>(kConditionFeedRange.hi)};
  if (f.real == &CC::ToolDiameter) return {0, 1000, true};
  if (f.real == &CC::MaxRemovalRate) return {0, 1e9};
  if (f.real == &CC::MaxAxialDepth || f.real == &CC::MaxRadialEngagement) return {0, 1000};
  if (f.real == &CC::SafetyDistance) return {0, 1000};
  if (f.real == &CC::CornerMinAngle || f.real == &CC::SlopeMinAngle) return {0, 180};
  if (f.real == &CC::CornerMaxReduction || f.real == &CC::SlopeMaxReduction) return {0, 1};
  if (f.kind == ConditionKind::Real) return {0, 100};  // the weights and ratios
  return kAnyReal;
}

std::string ConditionsOutOfRange(const CuttingConditions& c) {
  std::vector<const ConditionField*> all;
  for (const ConditionField& f : kFields) all.push_back(&f);
  for (const ConditionField& f : kOwnFields) all.push_back(&f);
  for (const ConditionField* field : all) {
    const ConditionField& f = *field;
    if (f.kind == ConditionKind::Word) continue;
    const double v = f.kind == ConditionKind::Real ? static_cast<double>(c.*f.real) : c.*f.integer;
    const RealRange range = ConditionFieldRange(f);
    if (range.Contains(v)) continue;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%g %s %g", range.lo, range.aboveLo ? "(excluded) to" : "to",
                  range.hi);
    return std::string(f.name) + " " + FormatConditionValue(c, f) + " lies outside " + buf;
  }
  return {};
}

Outcome ReadConditionsFile(const Messages& msg, const std::string& path, CuttingConditions& c) {
  std::string text;
  const FileReadError e = ReadBoundedFile(path, kConditionFileLimit, text, true);
  if (e == FileReadError::Missing || e == FileReadError::CannotOpen)
    return Outcome::CannotOpen(path);
  auto refuse = [&](std::string why) {
    return Outcome::Failed(
        e == FileReadError::ReadFailed ? OutcomeCode::CannotOpen : OutcomeCode::Refused,
        std::move(why) + "; the conditions stay as they were");
  };
  if (e != FileReadError::None) {
    msg.ShowReadError(e, path);
    return refuse(DescribeReadError(e, path, kConditionFileLimit));
  }
  std::string_view first;
  if (!Words(text).Next(first)) {
    msg.ShowFileError(Txt::NoUsableFeed, path);
    return refuse("'" + path + "' holds no cutting conditions");
  }
  CuttingConditions read = c;
  std::string notNumber;
  ReadConditionsText(text, read, &notNumber);
  // Our rule: a value that is no number, or that lies outside its field's range, refuses the
  // file naming the field; a hand-edited file must not steer the optimiser with a reduction
  // of 10 or a tool of no diameter.
  const std::string outside =
      !notNumber.empty() ? notNumber + " is not a number" : ConditionsOutOfRange(read);
  if (!outside.empty()) {
    msg.ShowFileError(Txt::ConditionOutOfRange, path + ": " + outside);
    return refuse("'" + path + "': " + outside);
  }
  const std::string unusable = NoUsableFeedReason(read);
  if (!unusable.empty()) {
    msg.ShowFileError(Txt::NoUsableFeed, path);
    return refuse("'" + path + "': " + unusable);
  }
  c = read;
  return Outcome::Done();
}

Outcome WriteConditionsFile(const Messages& msg, const std::string& path,
                            const CuttingConditions& c) {
  std::string why;
  if (!WriteFileReplacing(path, ConditionsFileText(c, msg.language()), &why)) {
    msg.ShowCannotOpen();
    return Outcome::CannotCreate(path, why);
  }
  return Outcome::Done();
}

// ---- Relations -------------------------------------------------------------------------------

std::string NoUsableFeedReason(const CuttingConditions& c) {
  const long unit = c.FeedChgAng > 0 ? c.FeedChgAng : 1;
  const std::string units = " (feed change unit " + std::to_string(unit) + ")";
  if (c.MaxFeed < unit) return "MaxFeed " + std::to_string(c.MaxFeed) + " gives no feed" + units;
  if (c.PlungeFeed < unit)
    return "PlungeFeed " + std::to_string(c.PlungeFeed) + " gives plunges no feed" + units;
  // The floors as the rules take them: in double precision, truncated.
  const double lowest =
      static_cast<double>(c.MaxFeed) *
      std::min(static_cast<double>(c.CornerMaxReduction), static_cast<double>(c.SlopeMaxReduction));
  if (!(lowest >= static_cast<double>(unit)))
    return "the lowest feed MaxFeed x the smaller of CornerMaxReduction and "
           "SlopeMaxReduction is below one unit" +
           units;
  return {};
}

void KeepFeedUnitUsable(CuttingConditions& c) {
  if (c.FeedChgAng < 1) c.FeedChgAng = 1;
}

void SlopeReductionFromCorner(CuttingConditions& c) {
  float s = c.CornerMaxReduction * c.SideCorRat;
  if (s > 1.0f) s = 1.0f;
  c.SlopeMaxReduction = s;
}

int ReducedFeed(std::int32_t feed, float reduction) {
  float v = static_cast<float>(feed) * reduction;
  // Out-of-range products (hand-edited files) saturate instead of overflowing the integer.
  if (!(v == v)) return 0;
  if (v >= 2147483520.0f) return std::numeric_limits<int>::max();
  if (v <= -2147483520.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

FeedBoxes TransferDialogBoxes(const CuttingConditions& c) {
  return {c.MaxFeed, ReducedFeed(c.MaxFeed, c.CornerMaxReduction)};
}

int ApplyFeedBoxes(CuttingConditions& c, int maxFeed, int minFeed) {
  if (maxFeed <= 0) return 0;
  c.MaxFeed = maxFeed;
  c.CornerMaxReduction = static_cast<float>(static_cast<double>(minFeed) / maxFeed);
  SlopeReductionFromCorner(c);
  return 1;
}

int MinimumFeedShown(const CuttingConditions& c) {
  return ReducedFeed(c.MaxFeed, c.CornerMaxReduction < c.SlopeMaxReduction ? c.CornerMaxReduction
                                                                           : c.SlopeMaxReduction);
}

int SetLmxByMaster(CuttingConditions& c, int on, const std::string& masterModelFile) {
  c.LmxByMaster = on && masterModelFile.size() > 4 ? 1 : 0;
  return c.LmxByMaster;
}

std::string MasterModelFileName(const std::string& chosenPath) {
  if (chosenPath.find("mma") != std::string::npos) return chosenPath;
  return chosenPath + ".mma";
}

// ---- Fields by name --------------------------------------------------------------------------

const ConditionField* ConditionFields(std::size_t& count) {
  count = kFieldCount;
  return kFields;
}

const ConditionField* OwnConditionFields(std::size_t& count) {
  count = sizeof kOwnFields / sizeof kOwnFields[0];
  return kOwnFields;
}

const ConditionField* FindConditionField(std::string_view name) {
  for (const ConditionField& f : kFields)
    if (EqualNoCase(name, f.name)) return &f;
  for (const ConditionField& f : kOwnFields)
    if (EqualNoCase(name, f.name)) return &f;
  return nullptr;
}

std::string FormatConditionValue(const CuttingConditions& c, const ConditionField& f) {
  std::string out;
  AppendValue(out, c, f);
  return out;
}

}  // namespace trevalon
