#include "gui/toolpath_renderer.h"

#include <QFont>
#include <QLinearGradient>
#include <QPen>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "gui/machined_part.h"
#include "gui/master_model_drawing.h"
#include "view/drawn_arc.h"

namespace trevalon {
namespace {

inline bool Sane(const PointRecord& r) {
  return std::fabs(r.x) <= CPointStore::kSaneLimit && std::fabs(r.z) <= CPointStore::kSaneLimit;
}

}  // namespace

// The state of one walk over a layer: the polyline being collected, its colour, the last
// motion point (the start of the next move and of an arc) and an arc end waiting for its
// centre record.
struct ToolpathRenderer::Pass {
  QPainter* painter = nullptr;
  ViewProjection project;
  bool showRapids = false;
  bool byLayer = true;
  int lowFeed = 0, highFeed = 0;
  std::array<QPen, kPenCount> pens;  // 0 layer, 1 rapid, 2.. feeds, last highlight
  int penIndex = -1;
  std::vector<QPoint> line;
  int stepX = 0, stepY = 0;  // the pixel step that led to the polyline's last point
  bool haveLast = false;     // a motion point has been seen
  double last[3] = {0, 0, 0};
  int lastPx = 0, lastPy = 0;
  bool arcPending = false;
  PointRecord arcEnd{};
  bool arcEndAhead = false;  // arcEndPixel holds the arc end's projection
  AheadPixel arcEndPixel{};
  std::uint64_t drawn = 0;

  explicit Pass(const ViewState& v) : project(v) {}

  void Flush() {
    if (line.size() >= 2) {
      painter->setPen(pens[static_cast<std::size_t>(penIndex)]);
      painter->drawPolyline(line.data(), static_cast<int>(line.size()));
      drawn += line.size();
    }
    line.clear();
  }
  // Starts a polyline in pen `pen` at the last point unless one of that pen is running.
  void Use(int pen) {
    if (pen == penIndex && !line.empty()) return;
    Flush();
    penIndex = pen;
    line.push_back(QPoint(lastPx, lastPy));
  }
  void LineTo(int px, int py) {
    const QPoint& b = line.back();
    const int dx = px - b.x(), dy = py - b.y();
    // Consecutive points on the same pixel add nothing to the picture.
    if (dx == 0 && dy == 0) return;
    // A step that repeats the step before it continues the same straight line exactly: the
    // end point moves on instead of a new point being added.
    if (line.size() >= 2 && dx == stepX && dy == stepY) {
      line.back() = QPoint(px, py);
      return;
    }
    stepX = dx, stepY = dy;
    if (line.size() >= 4096) {
      const QPoint keep = b;
      Flush();
      line.push_back(keep);
    }
    line.push_back(QPoint(px, py));
  }
  // `at`, when given, is the point's projection made ahead (the same arithmetic).
  void MoveTo(double x, double y, double z, const AheadPixel* at = nullptr) {
    Flush();
    last[0] = x, last[1] = y, last[2] = z;
    if (at)
      lastPx = at->x, lastPy = at->y;
    else
      project.ToClient(x, y, z, lastPx, lastPy);
    haveLast = true;
  }
  int PenFor(const PointRecord& r) const { return PenOf(r, PenRule{byLayer, lowFeed, highFeed}); }
  void Segment(const PointRecord& r, const AheadPixel* at = nullptr) {
    const int pen = PenFor(r);
    int px, py;
    if (at)
      px = at->x, py = at->y;
    else
      project.ToClient(r.x, r.y, r.z, px, py);
    Use(pen);
    LineTo(px, py);
    last[0] = r.x, last[1] = r.y, last[2] = r.z;
    lastPx = px, lastPy = py;
  }
  // A vertex of the simplified copy, drawn as Segment draws a move's end.
  void Vertex(int pen, float x, float y, float z) {
    int px, py;
    project.ToClient(x, y, z, px, py);
    Use(pen);
    LineTo(px, py);
    lastPx = px, lastPy = py;
  }
  // An arc from the last motion point to `end` round start + offset, sampled so that no chord
  // strays more than a third of a pixel from the circle at the present zoom.
  void Arc(const PointRecord& end, const PointRecord& centre, const AheadPixel* endAt = nullptr) {
    const double s[3] = {last[0], last[1], last[2]};
    Use(PenFor(end));
    // In pixels: a third of a pixel from the circle at the present zoom.
    SampleDrawnArc(s, end, centre, project.scale, 0.33, 0.5, [this](const double p[3]) {
      int px, py;
      project.ToClient(p[0], p[1], p[2], px, py);
      LineTo(px, py);
    });
    int px, py;
    if (endAt)
      px = endAt->x, py = endAt->y;
    else
      project.ToClient(end.x, end.y, end.z, px, py);
    LineTo(px, py);
    last[0] = end.x, last[1] = end.y, last[2] = end.z;
    lastPx = px, lastPy = py;
  }
};

void ToolpathRenderer::DrawRecords(Pass& pass, const PointRecord* records, std::uint32_t n,
                                   const AheadPixel* ahead) {
  for (std::uint32_t i = 0; i < n; ++i) {
    const PointRecord& r = records[i];
    const AheadPixel* at = ahead ? ahead + i : nullptr;
    const int t = r.type;
    if (pass.arcPending) {
      pass.arcPending = false;
      const AheadPixel* endAt = pass.arcEndAhead ? &pass.arcEndPixel : nullptr;
      // The centre record follows its arc's end point; without one the arc is drawn straight.
      if (IsPlaneCode(t)) {
        if (Sane(r))
          pass.Arc(pass.arcEnd, r, endAt);
        else
          pass.Segment(pass.arcEnd, endAt);
        continue;
      }
      pass.Segment(pass.arcEnd, endAt);
    }
    if (!IsMotionType(t) || !Sane(r)) continue;  // centre records are never drawn as points
    if (!pass.haveLast) {
      pass.MoveTo(r.x, r.y, r.z, at);
      if (!IsArcType(t)) continue;
    }
    if (IsRapidType(t) && !pass.showRapids) {
      pass.MoveTo(r.x, r.y, r.z, at);
    } else if (IsArcType(t)) {
      pass.arcPending = true;
      pass.arcEnd = r;
      pass.arcEndAhead = at != nullptr;
      if (at) pass.arcEndPixel = *at;
    } else {
      pass.Segment(r, at);
    }
  }
}

namespace {

// Projects a layer's records a page ahead of the drawing walk on a second thread, through a
// ring of kRing pages, with the walk's own arithmetic; a page the helper has not reached yet
// the walk projects itself. Why: docs/design-rules.md, "Drawing: projecting ahead".
class ProjectAhead {
 public:
  static constexpr std::uint32_t kRing = 8;
  using Span = std::pair<const PointRecord*, std::uint32_t>;

  ProjectAhead(const ViewProjection& project, const std::vector<Span>& spans)
      : project_(project), spans_(spans), ring_(kRing * CPointStore::kPageSize) {
    thread_ = std::thread([this] { Produce(); });
  }
  ~ProjectAhead() {
    // Normally every span was drawn and the helper has ended; otherwise it is let go.
    consumed_.store(static_cast<std::uint32_t>(spans_.size()) + kRing, std::memory_order_release);
    consumed_.notify_one();
    thread_.join();
  }
  // The projections of span k, or null when the helper has not got to it.
  const AheadPixel* Ready(std::uint32_t k) const {
    std::uint32_t ready = produced_.load(std::memory_order_acquire);
    if (ready <= k && working_.load(std::memory_order_acquire) != k + 1) return nullptr;
    for (; ready <= k; ready = produced_.load(std::memory_order_acquire))
      produced_.wait(ready, std::memory_order_acquire);
    return ring_.data() + (k % kRing) * CPointStore::kPageSize;
  }
  // Span k is drawn: its place in the ring is free again.
  void Done(std::uint32_t k) {
    consumed_.store(k + 1, std::memory_order_release);
    consumed_.notify_one();
  }

 private:
  void Produce() {
    const auto spans = static_cast<std::uint32_t>(spans_.size());
    for (std::uint32_t k = 0; k < spans;) {
      const std::uint32_t drawn = consumed_.load(std::memory_order_acquire);
      if (k < drawn) k = drawn;  // the walk projected these itself
      if (k >= spans) break;
      if (k >= drawn + kRing) {  // the ring is full
        consumed_.wait(drawn, std::memory_order_acquire);
        continue;
      }
      working_.store(k + 1, std::memory_order_release);
      AheadPixel* out = ring_.data() + (k % kRing) * CPointStore::kPageSize;
      const PointRecord* r = spans_[k].first;
      for (std::uint32_t i = 0; i < spans_[k].second; ++i) {
        if (IsMotionType(r[i].type) && Sane(r[i]))
          project_.ToClient(r[i].x, r[i].y, r[i].z, out[i].x, out[i].y);
      }
      produced_.store(k + 1, std::memory_order_release);
      produced_.notify_one();
      ++k;
    }
  }

  ViewProjection project_;
  const std::vector<Span>& spans_;
  std::vector<AheadPixel> ring_;
  // Spans [0, produced_) are projected (those the walk did itself aside); the helper is at
  // span working_ - 1; the walk has drawn spans [0, consumed_).
  mutable std::atomic<std::uint32_t> produced_{0};
  std::atomic<std::uint32_t> working_{0}, consumed_{0};
  std::thread thread_;
};

// Below this many records a layer is drawn on one thread: starting the helper would cost more
// than it saves.
constexpr std::uint64_t kAheadRecords = 100000;

}  // namespace

void ToolpathRenderer::DrawSpans(Pass& pass, const std::vector<Span>& spans) {
  std::uint64_t records = 0;
  for (const Span& s : spans) records += s.second;
  if (!projectAhead || records < kAheadRecords || std::thread::hardware_concurrency() < 2) {
    for (const Span& s : spans) DrawRecords(pass, s.first, s.second);
    return;
  }
  ProjectAhead ahead(pass.project, spans);
  for (std::uint32_t k = 0; k < spans.size(); ++k) {
    const AheadPixel* pixels = ahead.Ready(k);
    pagesAhead += pixels != nullptr;
    DrawRecords(pass, spans[k].first, spans[k].second, pixels);
    ahead.Done(k);
  }
}

void ToolpathRenderer::DrawStore(Pass& pass, CPointStore& store) {
  std::vector<Span> spans;
  for (std::uint32_t base = 0; base < store.count; base += CPointStore::kPageSize) {
    const PointRecord* page = store.RawRecord(base);
    const std::uint32_t n = std::min(CPointStore::kPageSize, store.count - base);
    if (page == nullptr) continue;
    spans.emplace_back(page, n);
  }
  DrawSpans(pass, spans);
}

QColor ToolpathRenderer::FeedColour(int feed, int low, int high) {
  double t =
      high > low ? static_cast<double>(std::clamp(feed, low, high) - low) / (high - low) : 1.0;
  // Hue from 240 (blue) down to 0 (red), full saturation and value.
  return QColor::fromHsvF(static_cast<float>((1.0 - t) * 240.0 / 360.0), 1.0f, 1.0f);
}

void ToolpathRenderer::ScanFeeds(CDocument& doc) {
  // The scale spans the cutting feeds of everything drawn: the work layer and the echoes.
  int low = 0, high = 0;
  bool any = false;
  auto scan = [&](const PointRecord* r, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      const int t = r[i].type;
      if (!IsLinearType(t) && !IsArcType(t)) continue;
      const int f = r[i].feed;
      if (!any) low = high = f, any = true;
      low = std::min(low, f);
      high = std::max(high, f);
    }
  };
  CPointStore& store = doc.store;
  for (std::uint32_t base = 0; base < store.count; base += CPointStore::kPageSize) {
    if (const PointRecord* page = store.RawRecord(base))
      scan(page, std::min(CPointStore::kPageSize, store.count - base));
  }
  for (int layer = 0; layer < CLayerTable::kSlots - 1; ++layer) {
    const LayerSlot& slot = doc.layers[layer];
    if (layer == doc.layers.workLayer || !slot.echo || !slot.snapshotAllocated) continue;
    slot.snapshot.ForEachSpan(scan);
  }
  lowFeed = low;
  highFeed = high;
}

void ToolpathRenderer::Begin(QPainter& painter, CDocument& doc, const RenderOptions& o) {
  ViewState& view = doc.view;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(0, 0, view.width, view.height), Background(o));
  if (o.showGrid) DrawGrid(painter, view);
  // The master model lies under the toolpaths.
  meshQuadsDrawn = doc.master.shown ? DrawMasterModel(painter, doc.master, view) : 0;
  // The machined part too, above the master model: it is the material as the program leaves it.
  partQuadsDrawn = machinedPart ? DrawMachinedPart(painter, machinedPart->field, view) : 0;
  pointsDrawn = 0;
  pagesAhead = 0;
}

void ToolpathRenderer::End(QPainter& painter, CDocument& doc, const RenderOptions& o) {
  // The rapids through material over the toolpath, so that no other move hides them.
  collisionsDrawn =
      machinedPart ? DrawRapidCollisions(painter, doc.store, machinedPart->result, doc.view) : 0;
  if (o.showTriad) DrawTriad(painter, doc.view, o);
  if (!o.colourByLayer) DrawLegend(painter, doc.view, o);
  painter.restore();
}

void ToolpathRenderer::SetupPens(Pass& pass, QPainter& painter, CDocument& doc, int layer,
                                 const RenderOptions& o) {
  pass.painter = &painter;
  pass.showRapids = doc.view.showRapids;
  pass.byLayer = o.colourByLayer;
  pass.lowFeed = lowFeed;
  pass.highFeed = highFeed;
  const NamedColour c = DrawnColour(LayerColour(doc.colours, layer), o.reversedBackground);
  pass.pens[0] = QPen(QColor(c.red, c.green, c.blue), 0);
  QColor rapid = o.reversedBackground ? QColor(150, 150, 150) : QColor(110, 110, 120);
  pass.pens[1] = QPen(rapid, 0, Qt::DashLine);
  for (int k = 0; k < kFeedBuckets; ++k) {
    const int f = lowFeed + (highFeed - lowFeed) * k / (kFeedBuckets - 1);
    pass.pens[static_cast<std::size_t>(2 + k)] = QPen(FeedColour(f, lowFeed, highFeed), 0);
  }
  pass.pens.back() = QPen(Highlight(), 0);
}

void ToolpathRenderer::Render(QPainter& painter, CDocument& doc, const RenderOptions& o) {
  ViewState& view = doc.view;
  Begin(painter, doc, o);
  if (!o.colourByLayer) ScanFeeds(doc);

  // Echo layers behind the work layer, from their snapshots.
  for (int layer = 0; layer < CLayerTable::kSlots - 1; ++layer) {
    if (layer == doc.layers.workLayer) continue;
    const LayerSlot& slot = doc.layers[layer];
    if (!slot.echo || !slot.snapshotAllocated || slot.snapshot.count() == 0) continue;
    Pass pass(view);
    SetupPens(pass, painter, doc, layer, o);
    std::vector<Span> spans;
    slot.snapshot.ForEachSpan(
        [&](const PointRecord* r, std::uint32_t n) { spans.emplace_back(r, n); });
    DrawSpans(pass, spans);
    if (pass.arcPending) pass.Segment(pass.arcEnd);
    pass.Flush();
    pointsDrawn += pass.drawn;
  }
  {
    Pass pass(view);
    SetupPens(pass, painter, doc, doc.layers.workLayer, o);
    DrawStore(pass, doc.store);
    if (pass.arcPending) pass.Segment(pass.arcEnd);
    pass.Flush();
    pointsDrawn += pass.drawn;
  }
  End(painter, doc, o);
}

void ToolpathRenderer::DrawLodLevel(Pass& pass, const LodLevel& level) {
  const ViewProjection& p = pass.project;
  // The window rectangle in projected model units around the box centre: a piece whose box
  // lies wholly outside the window (with a pixel to spare) is passed over.
  const double au = p.cy * p.cz, bu = -p.sz, cu = -p.sy * p.cz;
  const double av = p.sy * p.sx - p.cy * p.sz * p.cx, bv = -p.cz * p.cx,
               cv = p.sy * p.sz * p.cx + p.cy * p.sx;
  const double w = 2.0 * p.mx + 2.0, h = 2.0 * p.my + 2.0;
  std::uint32_t lastEnd =
      std::numeric_limits<std::uint32_t>::max();  // the index the last drawn piece ended at
  for (const LodPiece& piece : level.pieces) {
    const double x = 0.5 * (piece.lo[0] + piece.hi[0]), hx = 0.5 * (piece.hi[0] - piece.lo[0]);
    const double y = 0.5 * (piece.lo[1] + piece.hi[1]), hy = 0.5 * (piece.hi[1] - piece.lo[1]);
    const double z = 0.5 * (piece.lo[2] + piece.hi[2]), hz = 0.5 * (piece.hi[2] - piece.lo[2]);
    const double pu = (au * x + bu * y + cu * z - p.cu) * p.scale + p.mx;
    const double pv = (av * x + bv * y + cv * z - p.cv) * p.scale + p.my;
    const double ru = (std::fabs(au) * hx + std::fabs(bu) * hy + std::fabs(cu) * hz) * p.scale + 2;
    const double rv = (std::fabs(av) * hx + std::fabs(bv) * hy + std::fabs(cv) * hz) * p.scale + 2;
    if (pu + ru < -2 || pu - ru > w || pv + rv < -2 || pv - rv > h) continue;
    const LodVertex* v = level.vertices.data() + piece.first;
    // A piece that goes on from the one drawn last continues its line.
    if (piece.first != lastEnd || piece.pen != pass.penIndex || pass.line.empty())
      pass.MoveTo(v[0].x, v[0].y, v[0].z);
    for (std::uint32_t k = 1; k < piece.count; ++k) pass.Vertex(piece.pen, v[k].x, v[k].y, v[k].z);
    lastEnd = piece.first + piece.count - 1;
  }
}

void ToolpathRenderer::RenderLod(QPainter& painter, CDocument& doc, const RenderOptions& o,
                                 const ToolpathLod& lod, double pixels) {
  ViewState& view = doc.view;
  Begin(painter, doc, o);
  lowFeed = lod.pens.lowFeed;
  highFeed = lod.pens.highFeed;
  const double tolerance = pixels / std::max(view.scale, 1e-5);
  for (const LodLayer& layer : lod.layers) {
    const LodLevel* level = layer.Pick(tolerance);
    if (level == nullptr) continue;
    Pass pass(view);
    SetupPens(pass, painter, doc, layer.layer, o);
    DrawLodLevel(pass, *level);
    pass.Flush();
    pointsDrawn += pass.drawn;
  }
  End(painter, doc, o);
}

void ToolpathRenderer::DrawGrid(QPainter& painter, const ViewState& view) {
  // The grid lies in the plane of the screen and only means something in the three views
  // that look along an axis; the isometric views go without it.
  const int dir = view.Direction();
  if (dir < 1 || dir > 3) return;
  const double scale = std::max(view.scale, 1e-5);
  double spacing = 1e-3;
  for (int guard = 0; guard < 40 && spacing * scale < 40.0; ++guard) {
    const double m = spacing;
    spacing = m * 2;
    if (spacing * scale >= 40.0) break;
    spacing = m * 5;
    if (spacing * scale >= 40.0) break;
    spacing = m * 10;
  }
  const int w = view.width, h = view.height;
  QPen minor(QColor(60, 66, 76, 110), 0);
  QPen axis(QColor(90, 100, 115, 200), 0);
  auto pixelU = [&](double p) { return (p - view.cu) * scale + w / 2; };
  auto pixelV = [&](double q) { return (q - view.cv) * scale + h / 2; };
  const double p0 = (0 - w / 2) / scale + view.cu, p1 = (w - w / 2) / scale + view.cu;
  const double q0 = (0 - h / 2) / scale + view.cv, q1 = (h - h / 2) / scale + view.cv;
  for (double p = std::floor(p0 / spacing) * spacing; p <= p1; p += spacing) {
    painter.setPen(std::fabs(p) < spacing * 1e-3 ? axis : minor);
    const int x = static_cast<int>(pixelU(p));
    painter.drawLine(x, 0, x, h);
  }
  for (double q = std::floor(q0 / spacing) * spacing; q <= q1; q += spacing) {
    painter.setPen(std::fabs(q) < spacing * 1e-3 ? axis : minor);
    const int y = static_cast<int>(pixelV(q));
    painter.drawLine(0, y, w, y);
  }
  painter.setPen(QColor(120, 130, 145));
  painter.drawText(8, h - 8, QString::number(spacing, 'g', 6));
}

void ToolpathRenderer::DrawTriad(QPainter& painter, const ViewState& view, const RenderOptions& o) {
  const QPoint origin(42, view.height - 42);
  const double len = 28.0;
  const struct {
    double x, y, z;
    QColor colour;
    const char* label;
  } axes[3] = {{1, 0, 0, QColor(235, 70, 70), "X"},
               {0, 1, 0, QColor(70, 210, 90), "Y"},
               {0, 0, 1, QColor(80, 140, 255), "Z"}};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QFont f = painter.font();
  f.setPixelSize(11);
  f.setBold(true);
  painter.setFont(f);
  for (const auto& a : axes) {
    double u, v;
    view.ProjectUV(a.x, a.y, a.z, u, v);
    const QPointF tip(origin.x() + u * len, origin.y() + v * len);
    painter.setPen(QPen(a.colour, 2));
    painter.drawLine(QPointF(origin), tip);
    // An axis that points at the viewer has no length on the screen and gets no label.
    if (u * u + v * v < 0.04) continue;
    painter.setPen(a.colour);
    painter.drawText(QPointF(tip.x() + u * 8 - 4, tip.y() + v * 8 + 4), a.label);
  }
  painter.setPen(o.reversedBackground ? Qt::black : Qt::white);
  painter.drawEllipse(QPointF(origin), 2, 2);
  painter.restore();
}

void ToolpathRenderer::DrawLegend(QPainter& painter, const ViewState& view,
                                  const RenderOptions& o) {
  const int barW = 14, barH = std::min(220, view.height - 80);
  if (barH < 40) return;
  const int x = view.width - barW - 56, y = 36;
  QLinearGradient g(0, y + barH, 0, y);
  for (int k = 0; k <= 8; ++k) {
    const double t = k / 8.0;
    g.setColorAt(
        t, FeedColour(static_cast<int>(lowFeed + (highFeed - lowFeed) * t), lowFeed, highFeed));
  }
  painter.save();
  painter.fillRect(QRect(x, y, barW, barH), g);
  const QColor text = o.reversedBackground ? Qt::black : QColor(220, 225, 235);
  painter.setPen(text);
  painter.drawRect(QRect(x, y, barW, barH));
  QFont f = painter.font();
  f.setPixelSize(11);
  painter.setFont(f);
  painter.drawText(x - 4, y - 10, "F");
  for (int k = 0; k <= 4; ++k) {
    const int feed = lowFeed + (highFeed - lowFeed) * k / 4;
    const int ty = y + barH - barH * k / 4;
    painter.drawLine(x + barW, ty, x + barW + 4, ty);
    painter.drawText(x + barW + 7, ty + 4, QString::number(feed));
  }
  painter.restore();
}

void RenderNaive(QPainter& painter, CDocument& doc) {
  ViewState& view = doc.view;
  CPointStore& store = doc.store;
  painter.fillRect(QRect(0, 0, view.width, view.height), QColor(12, 16, 22));
  painter.setPen(QPen(Qt::white, 0));
  bool have = false;
  WindowPoint prev{};
  for (std::uint32_t i = 0; i < store.count; ++i) {
    if (!store.FetchPoint(i) || !IsMotionType(store.reg.type)) continue;
    const WindowPoint p = view.Project(store.reg.x, store.reg.y, store.reg.z);
    if (have && (view.showRapids || !IsRapidType(store.reg.type))) {
      painter.drawLine(prev.x + view.width / 2, prev.y + view.height / 2, p.x + view.width / 2,
                       p.y + view.height / 2);
    }
    prev = p;
    have = true;
  }
}

}  // namespace trevalon
