#pragma once
// The simplified copy of the toolpath that the view draws while the user drags or wheels:
// the moves walked exactly as the full drawing walks them (hidden rapids break the line, arcs
// are sampled, centre records are never points), cut into runs of one pen, and each run thinned
// in model space by the Douglas-Peucker rule. One walk gives every vertex the largest tolerance
// at which it still survives, so a whole ladder of levels (tolerance doubling from one level to
// the next) comes out of one preparation, and a frame picks the level whose tolerance is below
// one pixel at its own scale: rotation, panning and zooming need no new preparation.
//
// The first and last vertex of every run are kept at every level, so every path stays on the
// screen at least as a line from its start to its end, in its own pen.
//
// A preparation runs on a second thread from snapshots of the store and the echo layers (the
// pages it reads are shared, so the store copies a page before it writes it and the thread
// never sees a record change). The result is taken on the user-interface thread and kept
// only while the store and the layers still hold exactly the pages it was prepared from.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "model/layer_table.h"
#include "model/point_record.h"
#include "model/point_store.h"
#include "model/record_pages.h"

namespace trevalon {

// ---- Pens --------------------------------------------------------------------------------
// The pen of a move, the same for the full drawing and the simplified copy: the layer's
// colour, the rapid pen, one of the feed buckets from the lowest to the highest cutting feed,
// or the highlight of a selected move.
inline constexpr int kFeedBuckets = 32;
inline constexpr int kPenLayer = 0;
inline constexpr int kPenRapid = 1;
inline constexpr int kPenFeed = 2;  // kPenFeed + bucket
inline constexpr int kPenHighlight = kPenFeed + kFeedBuckets;
inline constexpr int kPenCount = kPenHighlight + 1;

struct PenRule {
  bool byLayer = true;  // off: cuts take the pen of their feed bucket
  int lowFeed = 0, highFeed = 0;
};
int PenOf(const PointRecord& r, const PenRule& rule);

// The lowest and highest cutting feed (lines and arcs) of the records, widened record by record
// from `any == false` on.
struct FeedSpan {
  bool any = false;
  int low = 0, high = 0;
  void Take(const PointRecord* r, std::uint32_t n);
};

// ---- The simplified copy ---------------------------------------------------------------------
struct LodVertex {
  float x, y, z;
};

// Up to kPieceVertices consecutive vertices of one run, with their bounding box so that a frame
// passes over pieces that lie outside the window. A run longer than a piece goes on in the
// next piece, which starts at the vertex the last one ended with.
struct LodPiece {
  std::uint32_t first = 0;
  std::uint32_t count = 0;
  int pen = 0;
  float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
};

struct LodLevel {
  double tolerance = 0;  // no vertex left out lies further than this from the kept line
  std::vector<LodVertex> vertices;
  std::vector<LodPiece> pieces;
};

// One drawn layer: the echo layers in drawing order, the work layer last.
struct LodLayer {
  int layer = 0;
  std::uint64_t sourceVertices = 0;  // vertices of the walk before thinning
  std::vector<LodLevel> levels;      // finest first
  // The coarsest level whose tolerance is at most `tolerance`, else the finest one.
  const LodLevel* Pick(double tolerance) const;
};

// What the walk depends on besides the records.
struct LodParams {
  bool byLayer = true;
  bool showRapids = false;
  // The finest tolerance of the ladder (model units); levels double it up to the toolpath's
  // size. A frame wanting finer than this asks for a new preparation.
  double baseTolerance = 0.01;
  bool operator==(const LodParams&) const = default;
};

struct ToolpathLod {
  LodParams params;
  PenRule pens;  // with the feed range of everything drawn, as the full drawing finds it
  std::vector<LodLayer> layers;
  std::uint64_t Vertices() const;  // kept at every level together (memory)
};

// A source of records to walk: a snapshot's pages in order.
struct LodInput {
  int layer = 0;
  const RecordSnapshot* records = nullptr;
};

// Builds the simplified copy of the inputs (echo layers first, the work layer last). The feed
// range spans every input. Returns null when `cancel` became true on the way.
std::shared_ptr<ToolpathLod> BuildToolpathLod(const std::vector<LodInput>& inputs,
                                              const LodParams& params,
                                              const std::atomic<bool>* cancel = nullptr);

// A quick copy made on the spot, for frames while no prepared copy fits: the same walk, keeping
// every `stride`-th vertex of a run and the vertices where a run starts, ends or changes pen (so
// no path is lost), one level only. Walks the store's pages and the echo layers directly.
std::shared_ptr<ToolpathLod> StrideToolpathLod(const CPointStore& store, const CLayerTable& layers,
                                               const LodParams& params, const PenRule& pens,
                                               std::uint32_t stride);

// ---- Where a copy came from ----------------------------------------------------------------
// The pages of the store and of the drawn echo layers as a preparation found them, held so
// that none of them can be written in place or freed while the copy lives: while the store
// and the layers show the same pages, the records are the ones the copy was made from.
class LodSource {
 public:
  // Shares the pages; false when the memory for the page tables cannot be had.
  bool Take(CPointStore& store, const CLayerTable& layers);
  bool Matches(const CPointStore& store, const CLayerTable& layers) const;
  std::vector<LodInput> Inputs() const;
  std::uint64_t Records() const;

 private:
  struct Layer {
    int layer = 0;
    RecordSnapshot records;  // shares the slot's pages
  };
  std::vector<Layer> echoes_;
  int workLayer_ = 0;
  RecordSnapshot store_;
  std::vector<const PointRecord*> storePages_;  // the store's pages (null where unallocated)
};

// The layers the full drawing draws behind the work layer, in its order.
std::vector<int> DrawnEchoLayers(const CLayerTable& layers);

// ---- Preparing on a second thread --------------------------------------------------------------
// One preparation at a time. Everything but the thread's own walk happens on the calling
// (user-interface) thread: taking the snapshots, comparing them with the store, releasing them.
class LodPreparer {
 public:
  struct Result {
    std::shared_ptr<const ToolpathLod> lod;
    std::shared_ptr<LodSource> source;  // kept with the copy: see LodSource
  };

  LodPreparer() = default;
  LodPreparer(const LodPreparer&) = delete;
  LodPreparer& operator=(const LodPreparer&) = delete;
  ~LodPreparer();  // stops a running preparation and waits for its thread

  // Starts preparing the store and layers as they stand. `finished` is called on the
  // preparing thread when the walk ends (a user interface posts itself a note from there).
  // False when one is running already or the snapshots cannot be had.
  bool Start(CPointStore& store, const CLayerTable& layers, const LodParams& params,
             std::function<void()> finished);
  bool Running() const { return running_; }
  bool Finished() const { return done_.load(); }
  const LodParams& Params() const { return params_; }
  // The running preparation walks the records the store and layers hold now.
  bool Describes(const CPointStore& store, const CLayerTable& layers) const {
    return running_ && source_ && source_->Matches(store, layers);
  }
  // Asks a running preparation to stop early; its result will be empty.
  void Cancel() { cancel_ = true; }
  // Once finished: the copy, when the store and layers still hold the pages it was made from
  // and it was not cancelled; otherwise an empty result, and the snapshots are let go. Joins
  // the finished thread; does nothing (empty result) while the walk still runs.
  Result Take(const CPointStore& store, const CLayerTable& layers);

 private:
  std::thread thread_;
  bool running_ = false;
  std::atomic<bool> done_{false};
  std::atomic<bool> cancel_{false};
  LodParams params_;
  std::shared_ptr<LodSource> source_;
  std::shared_ptr<ToolpathLod> lod_;  // written by the thread before done_
};

}  // namespace trevalon
