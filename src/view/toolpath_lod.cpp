#include "view/toolpath_lod.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/drawn_arc.h"

namespace trevalon {
namespace {

constexpr double kKept = std::numeric_limits<double>::infinity();
// Vertices thinned together: a run is cut into blocks of this many, whose ends are kept at
// every level. The blocks bound the thinning's work on any shape to a block's square, and the
// ends they add (one in 512 source vertices) cost nothing in a frame.
constexpr std::size_t kBlock = 512;
constexpr std::uint32_t kPieceVertices = 256;
// The ladder: level k has tolerance base * 2^k. Far more levels than any toolpath needs; the
// ones that would not halve the vertices of the level before them are not kept.
constexpr int kLadder = 40;

inline bool Sane(const PointRecord& r) {
  return std::fabs(r.x) <= CPointStore::kSaneLimit && std::fabs(r.z) <= CPointStore::kSaneLimit;
}

struct P3 {
  double x, y, z;
  bool operator==(const P3&) const = default;
};

// The walk of the full drawing over a layer's records, in model space: the same rules for
// sane records, hidden rapids, arcs and their centre records, and the same pen for each piece
// of line. The sink hears Use(pen, from) when a line of that pen starts (or goes on in
// another pen) at `from`, To(p) for each further point, and Break() where the line stops.
template <class Sink>
class Walk {
 public:
  Walk(Sink& sink, const PenRule& pens, bool showRapids, double arcTolerance)
      : sink_(sink), pens_(pens), showRapids_(showRapids), arcTol_(arcTolerance) {}

  void Records(const PointRecord* records, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      const PointRecord& r = records[i];
      const int t = r.type;
      if (arcPending_) {
        arcPending_ = false;
        if (IsPlaneCode(t)) {
          if (Sane(r))
            Arc(arcEnd_, r);
          else
            Segment(arcEnd_);
          continue;
        }
        Segment(arcEnd_);
      }
      if (!IsMotionType(t) || !Sane(r)) continue;
      if (!haveLast_) {
        MoveTo(r);
        if (!IsArcType(t)) continue;
      }
      if (IsRapidType(t) && !showRapids_) {
        MoveTo(r);
      } else if (IsArcType(t)) {
        arcPending_ = true;
        arcEnd_ = r;
      } else {
        Segment(r);
      }
    }
  }
  void End() {
    if (arcPending_) Segment(arcEnd_);
    arcPending_ = false;
    sink_.Break();
  }

 private:
  void MoveTo(const PointRecord& r) {
    sink_.Break();
    last_ = {r.x, r.y, r.z};
    haveLast_ = true;
  }
  void Segment(const PointRecord& r) {
    sink_.Use(PenOf(r, pens_), last_);
    last_ = {r.x, r.y, r.z};
    sink_.To(last_);
  }
  // Sampled so that no chord strays more than the tolerance from the circle; the same sweep
  // rules as the full drawing (a closed arc is a whole turn).
  void Arc(const PointRecord& end, const PointRecord& centre) {
    const double s[3] = {last_.x, last_.y, last_.z};
    sink_.Use(PenOf(end, pens_), last_);
    SampleDrawnArc(s, end, centre, 1.0, arcTol_, 1.5 * arcTol_, [this](const double p[3]) {
      sink_.To({p[0], p[1], p[2]});
    });
    last_ = {end.x, end.y, end.z};
    sink_.To(last_);
  }

  Sink& sink_;
  PenRule pens_;
  bool showRapids_;
  double arcTol_;
  bool haveLast_ = false;
  P3 last_{0, 0, 0};
  bool arcPending_ = false;
  PointRecord arcEnd_{};
};

// Writes the vertices of one level into pieces.
class LevelWriter {
 public:
  explicit LevelWriter(LodLevel& level) : level_(level) {}
  void Begin(int pen, const P3& p) {
    End();
    pen_ = pen;
    open_ = true;
    NewPiece(static_cast<std::uint32_t>(level_.vertices.size()));
    Push(p);
  }
  void Add(const P3& p) {
    if (!open_) return;
    LodPiece& piece = level_.pieces.back();
    if (piece.count >= kPieceVertices) {
      // The next piece starts at the vertex this one ends with.
      const std::uint32_t lastIndex = piece.first + piece.count - 1;
      Close();
      NewPiece(lastIndex);
      level_.pieces.back().count = 1;
      Grow(level_.vertices[lastIndex]);
    }
    Push(p);
  }
  void End() {
    if (open_) Close();
    open_ = false;
  }

 private:
  void NewPiece(std::uint32_t first) {
    LodPiece piece;
    piece.first = first;
    piece.count = 0;
    piece.pen = pen_;
    level_.pieces.push_back(piece);
    lo_[0] = lo_[1] = lo_[2] = std::numeric_limits<float>::infinity();
    hi_[0] = hi_[1] = hi_[2] = -std::numeric_limits<float>::infinity();
  }
  void Push(const P3& p) {
    const LodVertex v{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    level_.vertices.push_back(v);
    ++level_.pieces.back().count;
    Grow(v);
  }
  void Grow(const LodVertex& v) {
    const float c[3] = {v.x, v.y, v.z};
    for (int k = 0; k < 3; ++k) lo_[k] = std::min(lo_[k], c[k]), hi_[k] = std::max(hi_[k], c[k]);
  }
  void Close() {
    LodPiece& piece = level_.pieces.back();
    if (piece.count < 2) {
      // A run that never moved draws nothing, as in the full drawing. (Only a run's first
      // piece can be this short, and its one vertex is its own.)
      level_.vertices.resize(piece.first);
      level_.pieces.pop_back();
      return;
    }
    std::copy(lo_, lo_ + 3, piece.lo);
    std::copy(hi_, hi_ + 3, piece.hi);
  }

  LodLevel& level_;
  int pen_ = 0;
  bool open_ = false;
  float lo_[3], hi_[3];
};

// Distance of p from the segment a-b.
double SegmentDistance(const P3& p, const P3& a, const P3& b) {
  const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  const double wx = p.x - a.x, wy = p.y - a.y, wz = p.z - a.z;
  const double len2 = dx * dx + dy * dy + dz * dz;
  double t = len2 > 0 ? (wx * dx + wy * dy + wz * dz) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = wx - t * dx, ey = wy - t * dy, ez = wz - t * dz;
  return std::sqrt(ex * ex + ey * ey + ez * ez);
}

// The largest tolerance each vertex of a block survives: Douglas-Peucker keeps a vertex at
// tolerance t when it is the farthest from the chord of its span and further than t, and every
// span it was found in was split at a larger distance; so its tolerance is the smallest of
// those distances along the way. The block's ends are always kept.
void Importance(const std::vector<P3>& v, std::vector<double>& imp) {
  const std::size_t n = v.size();
  imp.assign(n, 0.0);
  if (n == 0) return;
  imp.front() = imp.back() = kKept;
  struct Span {
    std::size_t a, b;
    double cap;
  };
  std::vector<Span> stack;
  stack.push_back({0, n - 1, kKept});
  while (!stack.empty()) {
    const Span s = stack.back();
    stack.pop_back();
    if (s.b <= s.a + 1) continue;
    double best = -1;
    std::size_t at = s.a + 1;
    for (std::size_t k = s.a + 1; k < s.b; ++k) {
      const double d = SegmentDistance(v[k], v[s.a], v[s.b]);
      if (d > best) best = d, at = k;
    }
    const double cap = std::min(best, s.cap);
    imp[at] = cap;
    stack.push_back({s.a, at, cap});
    stack.push_back({at, s.b, cap});
  }
}

// The sink of the thinning walk: collects a run block by block; each full block (and the rest
// of a run where it ends) is thinned and handed on, counting (first pass) or writing the kept
// levels (second pass).
class Thinner {
 public:
  Thinner(double base, std::vector<LevelWriter>* writers, const std::vector<int>* levelOf)
      : base_(base), writers_(writers), levelOf_(levelOf) {
    counts.assign(kLadder, 0);
  }

  void Use(int pen, const P3& from) {
    if (open_ && pen == pen_) return;
    Break();
    open_ = true;
    pen_ = pen;
    block_.push_back(from);
  }
  void To(const P3& p) {
    if (!open_ || block_.back() == p) return;
    block_.push_back(p);
    if (block_.size() >= kBlock) {
      Flush(true);
      const P3 keep = block_.back();
      block_.clear();
      block_.push_back(keep);
    }
  }
  void Break() {
    if (open_) Flush(false);
    open_ = false;
    continued_ = false;
    block_.clear();
  }

  std::vector<std::uint64_t> counts;  // vertices kept at each level of the ladder
  std::uint64_t source = 0;           // vertices of the walk

 private:
  // Thins the block; `more` when the run goes on in the next block.
  void Flush(bool more) {
    if (block_.size() < 2) {
      // Nothing new since the last block: a run that went on ends where that block did.
      if (!more && continued_ && writers_ != nullptr)
        for (LevelWriter& out : *writers_) out.End();
      continued_ = more && continued_;
      return;
    }
    Importance(block_, imp_);
    const std::size_t from = continued_ ? 1 : 0;  // a continued block's first vertex was handed on
    source += block_.size() - from;
    if (writers_ == nullptr) {
      for (std::size_t k = from; k < block_.size(); ++k) {
        double t = base_;
        for (int level = 0; level < kLadder && t < imp_[k]; ++level, t *= 2) ++counts[level];
      }
    } else {
      for (std::size_t w = 0; w < writers_->size(); ++w) {
        LevelWriter& out = (*writers_)[w];
        const double t = base_ * std::ldexp(1.0, (*levelOf_)[w]);
        if (!continued_) out.Begin(pen_, block_.front());
        for (std::size_t k = 1; k < block_.size(); ++k)
          if (imp_[k] > t) out.Add(block_[k]);
        if (!more) out.End();
      }
    }
    continued_ = more;
  }

  double base_;
  std::vector<LevelWriter>* writers_;
  const std::vector<int>* levelOf_;
  bool open_ = false;
  bool continued_ = false;
  int pen_ = 0;
  std::vector<P3> block_;
  std::vector<double> imp_;
};

// The sink of the quick copy: every stride-th vertex, and every vertex where a run starts,
// ends or changes pen.
class Strider {
 public:
  Strider(LevelWriter& out, std::uint32_t stride) : out_(out), stride_(std::max(1u, stride)) {}
  void Use(int pen, const P3& from) {
    if (open_ && pen == pen_) return;
    Break();
    open_ = true;
    pen_ = pen;
    out_.Begin(pen, from);
    last_ = from;
    pendingLast_ = false;
    n_ = 0;
  }
  void To(const P3& p) {
    if (!open_ || p == last_) return;
    last_ = p;
    if (++n_ % stride_ == 0) {
      out_.Add(p);
      pendingLast_ = false;
    } else {
      pendingLast_ = true;
    }
  }
  void Break() {
    if (!open_) return;
    if (pendingLast_) out_.Add(last_);
    out_.End();
    open_ = false;
  }

 private:
  LevelWriter& out_;
  std::uint32_t stride_;
  bool open_ = false;
  bool pendingLast_ = false;
  int pen_ = 0;
  P3 last_{0, 0, 0};
  std::uint32_t n_ = 0;
};

template <class F>
void ForEachStoreSpan(const CPointStore& store, F&& f) {
  for (std::uint32_t base = 0; base < store.count; base += CPointStore::kPageSize) {
    const PointRecord* page = store.RawRecord(base);
    if (page != nullptr) f(page, std::min(CPointStore::kPageSize, store.count - base));
  }
}

// Thins one layer: a first walk counts what each level of the ladder would keep, a second
// writes the levels worth keeping. Null when cancelled.
bool ThinLayer(const RecordSnapshot& records, const LodParams& params, const PenRule& pens,
               const std::atomic<bool>* cancel, LodLayer& out) {
  const double base = params.baseTolerance;
  // One walk of every record into `thinner`; false when cancelled.
  auto walkAll = [&](Thinner& thinner) {
    Walk<Thinner> walk(thinner, pens, params.showRapids, base);
    bool stop = false;
    records.ForEachSpan([&](const PointRecord* r, std::uint32_t n) {
      if (stop || (stop = cancel != nullptr && cancel->load(std::memory_order_relaxed))) return;
      walk.Records(r, n);
    });
    if (stop) return false;
    walk.End();
    return true;
  };
  Thinner count(base, nullptr, nullptr);
  if (!walkAll(count)) return false;
  out.sourceVertices = count.source;
  // The finest level is always kept: it is what a frame at the zoom of the preparation (or up
  // to four times closer) draws. A coarser level is kept when it has at most half the vertices
  // of the last level kept: one that saves less is not worth its memory, and all of them
  // together stay below twice the finest.
  std::vector<int> kept = {0};
  std::uint64_t previous = count.counts[0];
  for (int level = 1; level < kLadder; ++level) {
    if (count.counts[static_cast<std::size_t>(level)] * 2 <= previous) {
      kept.push_back(level);
      previous = count.counts[static_cast<std::size_t>(level)];
    }
  }
  out.levels.assign(kept.size(), LodLevel{});
  std::vector<LevelWriter> writers;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    out.levels[k].tolerance = base * std::ldexp(1.0, kept[k]);
    out.levels[k].vertices.reserve(count.counts[static_cast<std::size_t>(kept[k])]);
    writers.emplace_back(out.levels[k]);
  }
  Thinner write(base, &writers, &kept);
  return walkAll(write);
}

}  // namespace

int PenOf(const PointRecord& r, const PenRule& rule) {
  if (r.mark == 1) return kPenHighlight;
  if (IsRapidType(r.type)) return kPenRapid;
  if (rule.byLayer) return kPenLayer;
  if (rule.highFeed <= rule.lowFeed) return kPenFeed + kFeedBuckets - 1;
  const int f = std::clamp<int>(r.feed, rule.lowFeed, rule.highFeed);
  return kPenFeed + static_cast<int>(static_cast<long>(f - rule.lowFeed) * (kFeedBuckets - 1) /
                                     (rule.highFeed - rule.lowFeed));
}

void FeedSpan::Take(const PointRecord* r, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    const int t = r[i].type;
    if (!IsLinearType(t) && !IsArcType(t)) continue;
    const int f = r[i].feed;
    if (!any) low = high = f, any = true;
    low = std::min(low, f);
    high = std::max(high, f);
  }
}

const LodLevel* LodLayer::Pick(double tolerance) const {
  const LodLevel* pick = nullptr;
  for (const LodLevel& level : levels)
    if (level.tolerance <= tolerance) pick = &level;
  if (pick == nullptr && !levels.empty()) pick = &levels.front();
  return pick;
}

std::uint64_t ToolpathLod::Vertices() const {
  std::uint64_t n = 0;
  for (const LodLayer& layer : layers)
    for (const LodLevel& level : layer.levels) n += level.vertices.size();
  return n;
}

std::shared_ptr<ToolpathLod> BuildToolpathLod(const std::vector<LodInput>& inputs,
                                              const LodParams& params,
                                              const std::atomic<bool>* cancel) {
  auto lod = std::make_shared<ToolpathLod>();
  lod->params = params;
  // The feed scale spans the cutting feeds of every layer drawn, as in the full drawing.
  FeedSpan feeds;
  for (const LodInput& in : inputs)
    in.records->ForEachSpan([&](const PointRecord* r, std::uint32_t n) { feeds.Take(r, n); });
  lod->pens.byLayer = params.byLayer;
  lod->pens.lowFeed = feeds.low;
  lod->pens.highFeed = feeds.high;
  for (const LodInput& in : inputs) {
    LodLayer layer;
    layer.layer = in.layer;
    if (!ThinLayer(*in.records, params, lod->pens, cancel, layer)) return nullptr;
    lod->layers.push_back(std::move(layer));
  }
  return lod;
}

std::shared_ptr<ToolpathLod> StrideToolpathLod(const CPointStore& store, const CLayerTable& layers,
                                               const LodParams& params, const PenRule& pens,
                                               std::uint32_t stride) {
  auto lod = std::make_shared<ToolpathLod>();
  lod->params = params;
  lod->pens = pens;
  auto thin = [&](int layerIndex, auto&& forEachSpan) {
    LodLayer layer;
    layer.layer = layerIndex;
    layer.levels.resize(1);
    layer.levels[0].tolerance = params.baseTolerance;
    LevelWriter out(layer.levels[0]);
    Strider strider(out, stride);
    Walk<Strider> walk(strider, pens, params.showRapids, params.baseTolerance);
    forEachSpan([&](const PointRecord* r, std::uint32_t n) { walk.Records(r, n); });
    walk.End();
    lod->layers.push_back(std::move(layer));
  };
  for (int l : DrawnEchoLayers(layers))
    thin(l, [&](auto&& f) { layers[l].snapshot.ForEachSpan(f); });
  thin(layers.workLayer, [&](auto&& f) { ForEachStoreSpan(store, f); });
  return lod;
}

// ---- LodSource ---------------------------------------------------------------------------------

std::vector<int> DrawnEchoLayers(const CLayerTable& layers) {
  std::vector<int> out;
  for (int l = 0; l < CLayerTable::kSlots - 1; ++l) {
    const LayerSlot& slot = layers[l];
    if (l == layers.workLayer || !slot.echo || !slot.snapshotAllocated ||
        slot.snapshot.count() == 0)
      continue;
    out.push_back(l);
  }
  return out;
}

bool LodSource::Take(CPointStore& store, const CLayerTable& layers) {
  echoes_.clear();
  workLayer_ = layers.workLayer;
  for (int l : DrawnEchoLayers(layers)) {
    Layer e;
    e.layer = l;
    if (!e.records.Share(layers[l].snapshot)) return false;
    echoes_.push_back(std::move(e));
  }
  storePages_.clear();
  const std::uint32_t pages = (store.count + kRecordsPerPage - 1) / kRecordsPerPage;
  for (std::uint32_t p = 0; p < pages; ++p)
    storePages_.push_back(store.RawRecord(p * kRecordsPerPage));
  return store.Snapshot(store_) != 0;
}

bool LodSource::Matches(const CPointStore& store, const CLayerTable& layers) const {
  if (layers.workLayer != workLayer_ || store.count != store_.count()) return false;
  for (std::uint32_t p = 0; p < storePages_.size(); ++p)
    if (store.RawRecord(p * kRecordsPerPage) != storePages_[p]) return false;
  const std::vector<int> drawn = DrawnEchoLayers(layers);
  if (drawn.size() != echoes_.size()) return false;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    const RecordSnapshot& now = layers[drawn[k]].snapshot;
    const RecordSnapshot& then = echoes_[k].records;
    if (drawn[k] != echoes_[k].layer || now.count() != then.count()) return false;
    for (std::uint32_t p = 0; p < now.PageCount(); ++p)
      if (now.PageAt(p) != then.PageAt(p)) return false;
  }
  return true;
}

std::vector<LodInput> LodSource::Inputs() const {
  std::vector<LodInput> in;
  for (const Layer& e : echoes_) in.push_back({e.layer, &e.records});
  in.push_back({workLayer_, &store_});
  return in;
}

std::uint64_t LodSource::Records() const {
  std::uint64_t n = store_.count();
  for (const Layer& e : echoes_) n += e.records.count();
  return n;
}

// ---- LodPreparer -------------------------------------------------------------------------------

LodPreparer::~LodPreparer() {
  if (thread_.joinable()) {
    cancel_ = true;
    thread_.join();
  }
}

bool LodPreparer::Start(CPointStore& store, const CLayerTable& layers, const LodParams& params,
                        std::function<void()> finished) {
  if (running_) return false;
  auto source = std::make_shared<LodSource>();
  if (!source->Take(store, layers)) return false;
  source_ = source;
  params_ = params;
  lod_.reset();
  cancel_ = false;
  done_ = false;
  running_ = true;
  // The thread gets the inputs (pointers into snapshots this object keeps alive until Take)
  // and writes only lod_ and done_.
  thread_ = std::thread([this, inputs = source->Inputs(), params, finished = std::move(finished)] {
    lod_ = BuildToolpathLod(inputs, params, &cancel_);
    done_.store(true, std::memory_order_release);
    if (finished) finished();
  });
  return true;
}

LodPreparer::Result LodPreparer::Take(const CPointStore& store, const CLayerTable& layers) {
  Result result;
  if (!running_ || !done_.load(std::memory_order_acquire)) return result;
  thread_.join();
  running_ = false;
  // The store or a layer changed while the walk ran (or the walk was stopped): the copy
  // describes records that are gone, and it is dropped with its snapshots.
  if (!cancel_ && lod_ && source_->Matches(store, layers)) result = {lod_, source_};
  lod_.reset();
  source_.reset();
  return result;
}

}  // namespace trevalon
