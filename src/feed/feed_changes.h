#pragma once
// The feed changes by rule and by region: one feed for every move, a ceiling or a floor inside
// a window or polygon drawn on the view, a feed by arc radius and a feed by move length (the
// machine feed, the fourth rule, is in machine_feed.h). Each works on the motion points of the
// document's store and ends with a redraw.
//
// Every rule first works out the new feeds beside the store (FeedPlan), so that a rule that
// would change nothing leaves the document untouched (no undo snapshot, no change counted)
// and says Unchanged. A rule that changes something records one undo snapshot on the command
// frame before the first change: every feed change can be undone.
//
// Feeds are whole numbers and the store keeps them in 16 bits: every feed a rule sets is held
// to 0 .. FeedRules::kHighestStoredFeed (32767), whatever the dialog took. An arc's centre
// record carries its arc's feed, so it changes with it.

#include <cstdint>
#include <memory>
#include <string>

#include "edit/command_frame.h"
#include "edit/region.h"
#include "model/geometry.h"
#include "platform/outcome.h"
#include "platform/value_range.h"

namespace trevalon {

// What a rule did, for the tools' summaries.
struct FeedChangeSummary {
  std::uint32_t changed = 0;  // motion points whose feed changed
  std::uint32_t added = 0;    // points inserted where a move crosses a region's edge
};

// A feed held to what the store keeps: 0 .. 32767.
std::int32_t StoredFeed(long feed);

// ---- Change feed ---------------------------------------------------------------------------
// The value prompts of the change-feed and the region commands ("변수를 입력하시요!!"). The
// value is truncated to a whole feed; below 1 a move would never get anywhere.
inline constexpr IntRange kFeedValueRange{1, 100000};
inline constexpr double kWindowFeedStart = 300;  // "Max feed" opens on 300

// Every motion point gets `feed`, which also becomes the document's cutting feed (also when
// the toolpath has no cutting move, or every move already has that feed).
Outcome ChangeFeedCommand(EditContext& ctx, long feed, FeedChangeSummary* summary = nullptr);

// ---- Region feed -----------------------------------------------------------------------------
// The polygon input of the region feed commands ends, with nothing done, when its vertices
// reach this many (the limit of the trims' polygons).
inline constexpr std::size_t kFeedPolygonVertexLimit = 300;

enum class FeedLimit {
  Ceiling,  // feeds above the value are lowered to it
  Floor,    // feeds below the value are raised to it
};

// One region of the window and polygon feed commands. Every motion point inside the region
// gets the limit. A linear or arc move with one end inside and the other outside is split at
// the region's edge, so that only the part inside carries the changed feed; see
// feed_changes.cpp for where exactly. Unchanged when no feed in the region changes.
// Window regions in the window plane need the context's view.
Outcome RegionFeedCommand(EditContext& ctx, const Region& region, FeedLimit limit, long feed,
                          FeedChangeSummary* summary = nullptr);

// ---- Arc feed ("G02, G03의 feed를 변경합니다.") -----------------------------------------------
struct ArcFeedOptions {
  double minRadius = 0.1;
  std::int32_t minRadiusFeed = 200;
  double maxRadius = 20.0;
  std::int32_t maxRadiusFeed = 500;
  double safety = 1.0;        // "안전거리": the longest lead-in and lead-out slowed with an arc
  std::int32_t setFirst = 0;  // "Feed 변경후 감속": every feed becomes firstFeed first
  std::int32_t firstFeed = 1000;
};
inline constexpr RealRange kArcRadiusRange{0.1, 100000};
inline constexpr IntRange kArcFeedRange{1, 100000};
inline constexpr RealRange kArcSafetyRange{0.1, 100000};
inline constexpr IntRange kArcFirstFeedRange{1, 1000000};

// Every arc whose radius lies between the two radii (both included) gets the feed
// interpolated between the two feeds; a linear move at most the safety distance long that
// ends at such an arc's start or starts at its end is lowered to that feed.
Outcome ArcFeedCommand(EditContext& ctx, const ArcFeedOptions& options,
                       FeedChangeSummary* summary = nullptr);

// ---- Length feed -------------------------------------------------------------------------------
struct LengthFeedOptions {
  double minLength = 0.01;  // "최소 거리"
  std::int32_t minLengthFeed = 200;
  double maxLength = 0.5;  // "최대 거리"
  std::int32_t maxLengthFeed = 500;
  std::int32_t setFirst = 0;  // "Feed 변경후 감속"
  std::int32_t firstFeed = 1000;
};
inline constexpr RealRange kMinLengthRange{0.01, 100000};
inline constexpr RealRange kMaxLengthRange{0.1, 100000};
inline constexpr IntRange kLengthFeedRange{1, 100000};
inline constexpr IntRange kLengthFirstFeedRange{1, 10000};

// Every linear move whose length lies between the two lengths gets the feed interpolated
// between the two feeds, but only when the move before it or the move after it also has a
// length in that range (a neighbouring rapid counts as 9999.0 long): a lone short move among
// long ones keeps its feed.
Outcome LengthFeedCommand(EditContext& ctx, const LengthFeedOptions& options,
                          FeedChangeSummary* summary = nullptr);

// ---- What the rules share ----------------------------------------------------------------------
// One move of the toolpath: the motion point that ends it and the motion point before it.
struct FeedMove {
  std::uint32_t index = 0;  // the motion point that ends the move
  int type = 0;
  double start[3] = {0, 0, 0};
  double end[3] = {0, 0, 0};
  // False for the first motion point of the store: it is where the program starts, no move.
  bool hasStart = false;
  // Its straight length, or for an arc its length along the arc; 0 without a start.
  double length = 0;
  StoredArc arc{};  // the arc's geometry (arcs with a start only)
};

// The moves of the store in order. Uses the store's register.
class MoveWalk {
 public:
  explicit MoveWalk(CPointStore& store) : store_(store) {}
  bool Next(FeedMove& move);

 private:
  CPointStore& store_;
  std::uint32_t at_ = 0;
  bool havePrev_ = false;
  double prev_[3] = {0, 0, 0};
};

// The new feed of every record, worked out before the store changes: it starts as the store's
// feeds, a rule changes entries, and Apply writes those that differ.
class FeedPlan {
 public:
  // False when the memory for it cannot be had.
  bool Take(CPointStore& store);
  std::int32_t& operator[](std::uint32_t i) { return feeds_[i]; }
  std::uint32_t size() const { return size_; }
  // Every motion point gets `feed`.
  void SetEveryFeed(CPointStore& store, std::int32_t feed);
  // How many motion points would change.
  std::uint32_t Differences(CPointStore& store) const;
  // The differing feeds into the store (with their arcs' centre records) after one undo
  // snapshot, then the end of the command. Unchanged (nothing recorded) when none differs.
  Outcome Apply(EditContext& ctx, const char* unchangedReason, FeedChangeSummary* summary);

 private:
  std::unique_ptr<std::int32_t[]> feeds_;
  std::uint32_t size_ = 0;
};

// A rule that could not get its working memory: the memory message, and the outcome that
// says nothing changed.
Outcome FeedRuleNoMemory(const EditContext& ctx);

}  // namespace trevalon
