#pragma once
// CuttingConditions: the optimiser's settings group (tool, limits, feeds, material, weights
// by slope angle, feed change unit), kept in .lmx files. Single-precision fields stay single
// precision: the optimiser's arithmetic depends on it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/outcome.h"
#include "platform/value_range.h"
#include "texts/user_texts.h"

namespace trevalon {

struct CuttingConditions {
  float ToolDiameter = 10.0f;
  float SafetyDistance = 5.0f;
  float CornerMinAngle = 10.0f;
  float CornerMaxReduction = 0.1f;
  float SlopeMinAngle = 10.0f;
  float SlopeMaxReduction = 0.1f;
  std::int32_t ConCorChk = 1;
  std::int32_t UpDownChk = 1;
  std::int32_t MaxFeed = 1000;
  std::int32_t PlungeFeed = 1000;
  std::string Material = "STEEL(S45C)";
  std::int32_t FeedChgSmoothCheck = 0;
  std::int32_t XyChgReduceCheck = 0;
  std::int32_t FeedChgAng = 10;
  float CorWeight0 = 1.0f, CorWeight30 = 0.7f, CorWeight60 = 0.3f;
  float SideWeight0 = 1.0f, SideWeight30 = 0.7f, SideWeight60 = 0.3f;
  float ZupZdown = 1.0f;
  float SideCorRat = 2.0f;
  std::int32_t LmxByMaster = 0;
  // Our own keys, for feeds from the material (feed/material_feeds.h): the highest material
  // removal rate a cut may reach, mm^3/min (0: not set), and the feed of cutting moves that
  // take no material (0: they take MaxFeed). A file writes them only when set, so that the
  // 23 lines of every other file stay as they were.
  float MaxRemovalRate = 0.0f;
  std::int32_t AirCutFeed = 0;
  // Also our own, for the same mode: the largest axial depth of cut and radial engagement
  // (width of material across the move) a cut may take at the full feed, mm (0: not set);
  // a cut beyond them is slowed (feed/material_feeds.h says how).
  float MaxAxialDepth = 0.0f;
  float MaxRadialEngagement = 0.0f;
};

// What the dialogs' fields and `lmx set` accept: the feeds (MaxFeed, PlungeFeed), the feed
// change unit (FeedChgAng, never 0: it divides), and the reals, which are single precision.
inline constexpr IntRange kConditionFeedRange{0, 32767};
inline constexpr IntRange kFeedUnitRange{1, 100000};
inline constexpr RealRange kConditionRealRange{-std::numeric_limits<float>::max(),
                                               std::numeric_limits<float>::max()};

class Messages;

// ---- .lmx files ------------------------------------------------------------------------------
// The 23 lines of a condition file, each ended by CR LF: nine positional lines (the label of
// the active language, then the value), then the keyword lines. Labels and material are
// written as they are (UTF-8); reals with six decimals.
std::string ConditionsFileText(const CuttingConditions& c, Language lang);

// Reads a condition file's text into c: nine positional entries (a token, then the value),
// then keyword/value pairs to the end. Keywords are compared without regard to case;
// LmxByMaster and unknown keywords are skipped; a missing entry leaves its field as it was;
// malformed numbers read as 0.
// Our rule: the token of a positional entry is read as a key where it is one: a field's name
// or the label of a positional field in any of the languages names that field, so that lines
// moved about keep their values; any other token leaves the entry its place in the order.
// `notNumber`, when given, receives the name of the first field whose value is no finite
// number at all (nan, inf, a word), which a file must not hold.
void ReadConditionsText(std::string_view text, CuttingConditions& c,
                        std::string* notNumber = nullptr);

// A condition file is 23 short lines (well under a kilobyte); no real one comes near this.
inline constexpr std::size_t kConditionFileLimit = 1u << 20;

// The file version, all or nothing: c changes only when the whole file was read, every value
// is a number within its field's range (refused naming the field) and the conditions it gives
// are usable (NoUsableFeedReason). A file that cannot be opened says so
// without a message (the dialogs only reset their button text); a folder, a file beyond
// kConditionFileLimit, a file with a NUL byte, a file without a single entry and conditions
// without a usable feed are refused with a message. The reason names the file.
Outcome ReadConditionsFile(const Messages& msg, const std::string& path, CuttingConditions& c);
// 1 when written; 0 after the file error message when it cannot be created.
Outcome WriteConditionsFile(const Messages& msg, const std::string& path,
                            const CuttingConditions& c);

// ---- Relations the dialogs keep -----------------------------------------------------------
// The feed change unit is never below 1: every optimised feed is rounded down to a multiple of
// it, and a unit of 0 (a hand-edited file) would make that rounding divide by zero. A file
// saying 0 or less is read as 1.
void KeepFeedUnitUsable(CuttingConditions& c);

// Our rule: the optimiser runs only on conditions under which every feed it can give is a
// real feed, at least one feed change unit: MaxFeed (every feed is capped by it), PlungeFeed
// (plunges take it) and the lowest feed the reductions allow, MaxFeed x the smaller of
// CornerMaxReduction and SlopeMaxReduction (every reduced feed is raised to it). Below one
// unit the rounding to the unit makes a feed of 0, and a program written with it would have
// moves without a feed. "" when usable, else what is wrong, in the fields' names.
std::string NoUsableFeedReason(const CuttingConditions& c);

// SlopeMaxReduction = CornerMaxReduction x SideCorRat, capped at 1.0 (single precision).
void SlopeReductionFromCorner(CuttingConditions& c);

// A feed times a reduction, truncated toward zero, as the dialogs show it. The product is
// taken in single precision like the fields themselves, so 1000 x 0.7 shows 700, not 699.
int ReducedFeed(std::int32_t feed, float reduction);

// The transfer dialog's boxes.
struct FeedBoxes {
  int maxFeed = 0;
  int minFeed = 0;
};
// What a box (and `transfer`) takes: the feeds a point record holds, as MaxFeed is limited.
inline constexpr IntRange kTransferFeedRange{0, 32767};
// What the boxes show when the transfer dialog opens: the maximum box MaxFeed, the minimum
// box MaxFeed x CornerMaxReduction. (The first opening also makes SlopeMaxReduction follow
// the corner reduction: CFeedControl::OpenTransferDialog.)
FeedBoxes TransferDialogBoxes(const CuttingConditions& c);
// A changed maximum or minimum box (nothing happens unless the maximum is above 0): MaxFeed =
// maximum, CornerMaxReduction = minimum / maximum, SlopeMaxReduction follows. 1 when applied.
int ApplyFeedBoxes(CuttingConditions& c, int maxFeed, int minFeed);
// The minimum box after reading a condition file or after the automatic feed adjustment
// dialog's OK: MaxFeed x the smaller of the two reductions, truncated.
int MinimumFeedShown(const CuttingConditions& c);

// The LMX settings dialog's master check box: switching on succeeds only while the channel's
// master-model file name is longer than 4 characters, else the flag stays 0. Returns the flag.
int SetLmxByMaster(CuttingConditions& c, int on, const std::string& masterModelFile);

// The MMA button: the chosen path, with ".mma" appended when it does not contain "mma".
std::string MasterModelFileName(const std::string& chosenPath);

// ---- Fields by name (scripts) ---------------------------------------------------------------
enum class ConditionKind { Real, Integer, Flag, Word };
struct ConditionField {
  const char* name;  // the data-model name, also the keyword of keyword lines
  ConditionKind kind;
  float CuttingConditions::*real = nullptr;
  std::int32_t CuttingConditions::*integer = nullptr;  // Integer and Flag
  std::string CuttingConditions::*word = nullptr;
};
// All fields, in the order of the file's lines.
const ConditionField* ConditionFields(std::size_t& count);
// Our own fields beyond the 23 lines (MaxRemovalRate, AirCutFeed, MaxAxialDepth,
// MaxRadialEngagement): keyword lines written
// after them when not 0, read back by their keyword.
const ConditionField* OwnConditionFields(std::size_t& count);
// By name (our own fields too), without regard to case; null for an unknown name.
const ConditionField* FindConditionField(std::string_view name);
// The value as a condition file writes it ("%f", "%d" or the word).
std::string FormatConditionValue(const CuttingConditions& c, const ConditionField& f);

// The values a field may hold, as a file, `lmx set` and the dialogs take them: a tool of some
// diameter, angles of a half turn at most, reductions as parts of the feed (0 to 1), feeds a
// point record holds (16 bits), weights and ratios up to 100, flags 0 or 1.
RealRange ConditionFieldRange(const ConditionField& f);
// "" when every field lies in its range, else the first that does not, by name, with its
// value and range.
std::string ConditionsOutOfRange(const CuttingConditions& c);

}  // namespace trevalon
