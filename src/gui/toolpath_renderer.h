#pragma once
// Drawing a document's toolpaths with QPainter: the echo layers behind the work layer, rapids,
// cuts and arcs, the selection, the axis triad, the optional grid and the feed legend. The
// work is done per page of records with consecutive points on the same pixel dropped and
// runs of one colour drawn as one polyline, so that millions of points redraw in a blink.

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/document.h"
#include "view/toolpath_lod.h"

namespace trevalon {

struct MachinedPart;

// A record's window position, projected ahead of the drawing walk.
struct AheadPixel {
  int x = 0, y = 0;
};

struct RenderOptions {
  bool colourByLayer = true;  // off: lines coloured by feed, with a legend
  bool showGrid = false;
  bool showTriad = true;
  bool reversedBackground = false;  // white paper instead of the dark screen
};

class ToolpathRenderer {
 public:
  static constexpr int kFeedBuckets = trevalon::kFeedBuckets;

  // Draws the whole picture into a device of view.width x view.height pixels.
  void Render(QPainter& painter, CDocument& doc, const RenderOptions& options);
  // The picture of a drag: the same background, grid, master model, triad and legend, with
  // the toolpath from a simplified copy, at the level that strays at most `pixels` pixels
  // from the moves at the present zoom (or the finest level it has), in the same pens.
  void RenderLod(QPainter& painter, CDocument& doc, const RenderOptions& options,
                 const ToolpathLod& lod, double pixels = 1.0);

  // Colour of a feed on the scale between the lowest and highest cutting feed: blue for the
  // slowest, through cyan, green and yellow, to red for the fastest.
  static QColor FeedColour(int feed, int lowFeed, int highFeed);
  static QColor Highlight() { return QColor(255, 160, 0); }
  QColor Background(const RenderOptions& o) const {
    return o.reversedBackground ? QColor(255, 255, 255) : QColor(12, 16, 22);
  }

  // Feed range of the last render's work layer (the legend's ends).
  int lowFeed = 0, highFeed = 0;
  // The feed range of everything drawn, as the full drawing finds it (public for the view's
  // quick frames, which need it without drawing).
  void FindFeedRange(CDocument& doc) { ScanFeeds(doc); }
  // Points handed to the painter by the last render (after dropping same-pixel points).
  std::uint64_t pointsDrawn = 0;
  // Quads of the master model drawn by the last render (0 while it is not shown).
  std::uint64_t meshQuadsDrawn = 0;
  // The machined part drawn under the toolpaths, its rapids through material red over them
  // (null: none); the view sets it while its part is current and shown.
  const MachinedPart* machinedPart = nullptr;
  // Quads of the machined part and rapids through material drawn by the last render.
  std::uint64_t partQuadsDrawn = 0;
  std::uint32_t collisionsDrawn = 0;
  // A large layer's records are projected on a second thread a page ahead of the drawing
  // (the picture is the same either way; off: everything on the calling thread).
  bool projectAhead = true;
  // Pages of records the last render drew with their projection made by the helper.
  std::uint64_t pagesAhead = 0;

 private:
  struct Pass;
  using Span = std::pair<const PointRecord*, std::uint32_t>;
  void DrawRecords(Pass& pass, const PointRecord* records, std::uint32_t n,
                   const AheadPixel* ahead = nullptr);
  void DrawSpans(Pass& pass, const std::vector<Span>& spans);
  void DrawStore(Pass& pass, CPointStore& store);
  void ScanFeeds(CDocument& doc);
  void Begin(QPainter& painter, CDocument& doc, const RenderOptions& o);
  void End(QPainter& painter, CDocument& doc, const RenderOptions& o);
  void SetupPens(Pass& pass, QPainter& painter, CDocument& doc, int layer, const RenderOptions& o);
  void DrawLodLevel(Pass& pass, const LodLevel& level);
  void DrawGrid(QPainter& painter, const ViewState& view);
  void DrawTriad(QPainter& painter, const ViewState& view, const RenderOptions& o);
  void DrawLegend(QPainter& painter, const ViewState& view, const RenderOptions& o);
};

// One drawLine per move, nothing dropped: the yardstick the renderer is measured against.
void RenderNaive(QPainter& painter, CDocument& doc);

}  // namespace trevalon
