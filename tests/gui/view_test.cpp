// What the renderer draws: arcs round and centre records never as points, rapids only when
// shown, the selection and echo layers in their colours, feeds on their scale, no more points
// than pixels, and a damaged master model without harm; the point search of the pickers.
// Drag frames: the simplified copy draws every path where the full drawing draws it, in the
// same colours; the full drawing on two threads is that of one; the view switches to it while a
// drag or a run of wheel steps goes on and back to the full drawing after; a copy of a toolpath
// that was edited since is never drawn.
//
// The interactive inputs of the view, driven by mouse and key events: the rubber band, the
// polygon, the point and path pickers, and selection by mouse. The NC program beside the view:
// a point shown in the view (the point picker's click and its steps, the click in select
// mode) scrolls the text pane to the block that made it, and the pane's cursor marks its
// block's move in the view. The feed chart window: it opens from the View menu, follows the
// toolpath after a command, marks in the view the move under the mouse, and its buttons write
// files that Qt reads back.

#include <QDockWidget>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <fstream>

#include "app/document.h"
#include "gui/feed_plot_dock.h"
#include "gui/master_model_drawing.h"
#include "gui/point_search.h"
#include "gui/source_pane.h"
#include "gui/source_text_view.h"
#include "gui/toolpath_renderer.h"
#include "gui_test_support.h"
#include "view/toolpath_lod.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

// Top view, one pixel per unit, model origin in the middle of a 200 x 200 image; the records
// run at 500 unless they say otherwise.
void TopView(CDocument& d, const char* records = "") {
  d.store.Init();
  AddRecords(d.store, records, 500);
  TopViewOf(d.view, 200, 200);
}

QImage Draw(CDocument& d, RenderOptions o = {}, ToolpathRenderer* r = nullptr) {
  o.showTriad = false;
  QImage image(d.view.width, d.view.height, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ToolpathRenderer local;
  (r ? *r : local).Render(painter, d, o);
  return image;
}

QColor At(const QImage& image, double x, double y) {
  // Model (x, y) in the top view at one pixel per unit.
  return image.pixelColor(static_cast<int>(std::lround(100 + x)),
                          static_cast<int>(std::lround(100 - y)));
}

bool Near(const QImage& image, double x, double y, QColor c) {
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      if (At(image, x + dx, y + dy) == c) return true;
  return false;
}

const QColor kWhite(255, 255, 255);

// 120 little paths of a few pixels each on a 12-pixel grid (top view, one pixel per unit,
// origin in the middle of a 320 x 200 image), each a rapid and a zig-zag of 6 cuts, with feeds
// from 300 to 1400; a dense wavy path of 6000 points across the bottom with a selected
// stretch; and an echo layer of 20 more little paths.
struct ManyPaths {
  CDocument doc;
  std::vector<QPoint> pathCentres;  // image pixels
  ManyPaths() {
    CPointStore& s = doc.store;
    s.Init();
    auto little = [&](double x, double y, int feed) {
      Put(s, MOVE_RAPID, x, y, 5);
      for (int k = 0; k < 6; ++k)
        Put(s, k == 0 ? MOVE_LINE : MOVE_LINE_CONT, x + 0.7 * k, y + (k % 2 ? 2.5 : 0), 0, feed);
      pathCentres.push_back(QPoint(160 + static_cast<int>(x + 2), 100 - static_cast<int>(y + 1)));
    };
    for (int n = 0; n < 20; ++n) little(-90 + 12 * (n % 10), 60 + 12 * (n / 10), 700);
    doc.layers.SaveLayer(3, s);
    s.count = 0;
    for (int n = 0; n < 120; ++n) little(-90 + 12 * (n % 15), -30 + 12 * (n / 15), 300 + 11 * n);
    Put(s, MOVE_RAPID, -95, -60, 5);
    for (int k = 0; k < 6000; ++k) {
      const double x = -95 + 170.0 * k / 5999;
      Put(s, k == 0 ? MOVE_LINE : MOVE_LINE_CONT, x, -60 + 12 * std::sin(x / 11.0), 0,
          800 + (k / 600) * 60, k > 2000 && k < 2600);
    }
    // Wider than the paths, so that the feed legend at the right (whose smoothed text blends
    // with what lies under it) stays clear of them.
    TopViewOf(doc.view, 320, 200);
  }
};

QImage FromCopy(CDocument& d, const RenderOptions& o, const ToolpathLod& lod) {
  QImage image(d.view.width, d.view.height, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ToolpathRenderer().RenderLod(painter, d, o, lod);
  return image;
}

std::shared_ptr<ToolpathLod> Prepare(CDocument& d, const RenderOptions& o) {
  LodSource source;
  if (!source.Take(d.store, d.layers)) return nullptr;
  LodParams params;
  params.byLayer = o.colourByLayer;
  params.showRapids = d.view.showRapids;
  params.baseTolerance = 0.25 / d.view.scale;
  return BuildToolpathLod(source.Inputs(), params);
}

// Pixels of `a` other than the background with no pixel of the same colour within `reach` in
// `b`.
int Uncovered(const QImage& a, const QImage& b, int reach) {
  const QRgb background = a.pixel(0, 0);
  int missing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb c = a.pixel(x, y);
      if (c == background) continue;
      bool found = false;
      for (int dy = -reach; dy <= reach && !found; ++dy)
        for (int dx = -reach; dx <= reach && !found; ++dx)
          found = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == c;
      missing += !found;
    }
  }
  return missing;
}

bool Drawn(const QImage& image, QPoint centre) {
  const QRgb background = image.pixel(0, 0);
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      if (image.pixel(centre + QPoint(dx, dy)) != background) return true;
  return false;
}

void Wheel(QWidget* w, int delta) {
  const QPointF at(w->width() / 2, w->height() / 2);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}

QImage FullOf(ToolpathView* v) {
  QImage image(v->picture().size(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ToolpathRenderer().Render(painter, v->doc(), v->options);
  return image;
}

// Two paths: path 1 from record 0, path 2 from record 5.
ToolpathView* TwoPaths(Program& p) {
  return TopView(p,
                 "1 -100 0 10 500, 3 -100 50 0 500, 8 -50 100 0 500, 91 50 0 0 500, "
                 "4 0 100 0 500, 1 50 0 10 500, 3 50 -50 0 500, 4 100 -50 0 500");
}

// A zigzag along X, one move per line: the move to X=i stands on line 5 + i up to i = 100,
// a comment line follows, then on line 6 + i. Record i + 1 is the move to X=i.
std::string ZigzagProgram(const QTemporaryDir& dir) {
  const std::string path = dir.filePath("zigzag.nc").toStdString();
  std::ofstream out(path);
  out << "%\nO1000 (SOURCE PANE)\nG90 G17\nG00 X0 Y0 Z10\nG01 Z0 F500\n";
  for (int i = 1; i <= 300; ++i) {
    out << "X" << i << " Y" << (i % 2 ? 0 : 5) << "\n";
    if (i == 100) out << "(HALF WAY)\n";
  }
  out << "G00 Z10\nM30\n";
  return path;
}

std::size_t LineOfMove(int i) {
  return static_cast<std::size_t>(i <= 100 ? 5 + i : 6 + i);  // from 1
}

bool InSight(SourceTextView* t, std::size_t line) {
  return line >= t->FirstVisibleLine() && line < t->FirstVisibleLine() + t->VisibleLineCount();
}

// A plunge of 5, then cuts of 100 along X and along Y, in the top view.
ToolpathView* ThreeCuts(Program& p) {
  ToolpathView* v = TopView(p, "1 0 0 5, 3 0 0 0 100, 4 100 0 0 200, 4 100 100 0 300", false);
  v->doc().view.haveLastOperation = false;
  v->Fit();
  return v;
}

QPoint AtDistance(FeedChartWidget* chart, double distance) {
  const FeedChart& c = chart->chart();
  return QPoint(static_cast<int>(c.XOf(distance)), static_cast<int>((c.top + c.bottom) / 2));
}

}  // namespace

class ViewTest : public QObject {
  Q_OBJECT
 private slots:
  // The arcs go the way their records say, and their centre records are never drawn as
  // points. (The sweep of an arc by direction, plane and closure, and how its points lie on
  // the circle: the drawn arc's own tests.)
  void arcsTurnTheRightWayAndCentreRecordsAreNoPoints() {
    CDocument d;
    // Counter-clockwise through (35, 35), then clockwise from (0, 50) round (0, 100) to
    // (-50, 100): through (-35, 65), not (35, 65).
    TopView(d, "3 50 0 0, 6 0 50 0, 91 -50 0 0, 8 -50 100 0, 91 0 50 0");
    const QImage image = Draw(d);
    QVERIFY(Near(image, 35.36, 35.36, kWhite));
    QVERIFY(!Near(image, -35.36, -35.36, kWhite));
    QVERIFY(!Near(image, 35.36, -35.36, kWhite));
    QVERIFY(Near(image, -35.36, 64.64, kWhite));
    QVERIFY(!Near(image, 35.36, 64.64, kWhite));
    // The first centre record's offset seen as a point, and a line from the arc's end to it.
    QVERIFY(!Near(image, -50, 0, kWhite));
    QVERIFY(!Near(image, -25, 25, kWhite));
  }

  void rapidsAppearOnlyWhenShown() {
    CDocument d;
    TopView(d, "1 -80 -40 10, 2 80 -40 10, 3 80 40 0");
    const QImage hidden = Draw(d);
    const QColor background = hidden.pixelColor(0, 0);
    QCOMPARE(At(hidden, 0, -40), background);
    QVERIFY(Near(hidden, 80, 0, kWhite));
    d.view.showRapids = true;
    const QImage shown = Draw(d);
    bool drawn = false;
    for (int x = -10; x <= 10 && !drawn; ++x) drawn = At(shown, x, -40) != background;
    QVERIFY(drawn);
  }

  void selectionAndEchoLayersHaveTheirColours() {
    CDocument d;
    // Layer 3 holds a line along y = 50 and is echoed; layer 4 one along y = -50, not echoed.
    TopView(d, "1 -80 50 0, 3 80 50 0");
    d.layers.SaveLayer(3, d.store);
    TopView(d, "1 -80 -50 0, 3 80 -50 0");
    d.layers.SaveLayer(4, d.store);
    d.layers[4].echo = false;
    TopView(d, "1 -80 0 0, 3 0 0 0, 4 80 0 0 500 1");  // the last cut selected
    const QImage image = Draw(d);
    QVERIFY(Near(image, 0, 50, QColor(0, 255, 255)));  // layer 3: cyan
    QCOMPARE(At(image, 0, -50), image.pixelColor(0, 0));
    QVERIFY(Near(image, -40, 0, kWhite));  // work layer 0: white
    QVERIFY(Near(image, 40, 0, ToolpathRenderer::Highlight()));
    d.colours.index[3] = 4;  // red
    QVERIFY(Near(Draw(d), 0, 50, QColor(255, 0, 0)));
  }

  void feedsRunFromBlueToRed() {
    // Above the highest feed the scale stays red.
    QCOMPARE(ToolpathRenderer::FeedColour(5000, 100, 900).rgb(), QColor(255, 0, 0).rgb());
    CDocument d;
    TopView(d, "1 -80 0 0, 3 0 0 0 200, 4 80 0 0 2000");
    RenderOptions o;
    o.colourByLayer = false;
    ToolpathRenderer r;
    const QImage image = Draw(d, o, &r);
    QCOMPARE(r.lowFeed, 200);
    QCOMPARE(r.highFeed, 2000);
    QVERIFY(Near(image, -40, 0, QColor(0, 0, 255)));
    QVERIFY(Near(image, 20, 0, QColor(255, 0, 0)));  // left of the legend
  }

  void pointsOnOnePixelAreDrawnOnce() {
    CDocument d;
    TopView(d, "1 0 0 0");
    for (int k = 0; k < 100000; ++k) Put(d.store, MOVE_LINE_CONT, 0.3 * (k % 3), 0.1, 0);
    ToolpathRenderer r;
    Draw(d, {}, &r);
    QVERIFY(r.pointsDrawn < 10);
    // A straight run of many points becomes one segment.
    d.store.count = 1;
    for (int k = 0; k < 1000; ++k) Put(d.store, MOVE_LINE_CONT, -90 + 0.18 * k, 0, 0);
    Draw(d, {}, &r);
    QVERIFY(r.pointsDrawn <= 3);
  }

  void damagedMeshValuesDrawWithoutHarm() {
    // Heights that are not numbers or lie far away, and slopes outside 0 to 90, as a damaged
    // or foreign .mma file may hold them; then a sound mesh, whose 3 x 3 quads are drawn.
    auto mesh = [](bool damaged) {
      MeshHeader h;
      h.cellSize = 1.0;
      h.columns = 4, h.rows = 4, h.cellCount = 16, h.exists = 1;
      std::string bytes(100, '\0');
      bytes.append(reinterpret_cast<const char*>(&h), sizeof h);
      const float heights[4] = {std::nanf(""), 1e30f, -1e30f, 2.0f};
      const std::int16_t slopes[4] = {-300, 32000, 45, 0};
      for (int k = 0; k < 16; ++k) {
        const float z = damaged ? heights[k % 4] : static_cast<float>(k % 3);
        const std::int16_t slope = damaged ? slopes[(k / 4) % 4] : 10;
        bytes.append(reinterpret_cast<const char*>(&z), 4);
        bytes.append(reinterpret_cast<const char*>(&slope), 2);
      }
      return bytes;
    };
    CDocument d;
    QCOMPARE(d.master.ReadBytes(mesh(true)), 1);
    d.master.shown = 1;
    d.view.width = 200, d.view.height = 150;
    QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
    ToolpathRenderer renderer;
    for (double scale : {1e-6, 1.0, 40.0, 1e9}) {
      for (int n = 1; n <= 7; ++n) {
        d.view.SetDirection(n);
        d.view.scale = scale;
        QPainter painter(&image);
        renderer.Render(painter, d, RenderOptions{});
      }
    }
    CDocument sound;
    QCOMPARE(sound.master.ReadBytes(mesh(false)), 1);
    sound.view.width = 200, sound.view.height = 150;
    sound.view.SetDirection(1);
    sound.view.scale = 20.0;
    QPainter painter(&image);
    QCOMPARE(DrawMasterModel(painter, sound.master, sound.view), std::uint64_t(9));
  }

  void searchFindsTheNearestPointWithinEighteenPixels() {
    CDocument d;
    TopView(d, "1 0 0 10, 3 10 0 0, 4 20 0 0, 8 40 0 0, 91 10 0 0");
    QCOMPARE(FindPointAt(d.store, d.view, 113, 102).value_or(99), 1u);  // (13, -2)
    QCOMPARE(FindPointAt(d.store, d.view, 116, 100).value_or(99), 2u);
    QCOMPARE(FindPointAt(d.store, d.view, 157, 100).value_or(99), 3u);  // 17 pixels away
    QVERIFY(!FindPointAt(d.store, d.view, 160, 100));                   // 20 pixels away
    QCOMPARE(FindPointAt(d.store, d.view, 101, 100).value_or(99), 1u);  // rapid hidden
    d.view.showRapids = true;
    QCOMPARE(FindPointAt(d.store, d.view, 101, 100).value_or(99), 0u);
    QCOMPARE(NextMotionPoint(d.store, 2).value_or(99), 3u);
    QVERIFY(!NextMotionPoint(d.store, 3));
    QCOMPARE(PrevMotionPoint(d.store, 3).value_or(99), 2u);
    QVERIFY(!PrevMotionPoint(d.store, 0));
  }

  // Every pixel the full drawing colours has a pixel of that colour next to it in the drag
  // frame, and the other way round: the drag frame loses no path and draws nothing that is not
  // there, in the layer, feed and selection colours; the stride copy keeps every path too.
  void theCopyDrawsEveryPathWhereTheFullDrawingDoes() {
    ManyPaths m;
    for (bool byLayer : {true, false}) {
      for (int direction : {1, 4}) {
        m.doc.view.SetDirection(direction);
        RenderOptions o;
        o.colourByLayer = byLayer;
        o.showTriad = false;
        const QImage full = Draw(m.doc, o);
        auto lod = Prepare(m.doc, o);
        QVERIFY(lod);
        const QImage quick = FromCopy(m.doc, o, *lod);
        QCOMPARE(Uncovered(full, quick, 1), 0);
        QCOMPARE(Uncovered(quick, full, 1), 0);
        if (direction == 1) {
          for (QPoint c : m.pathCentres) QVERIFY(Drawn(quick, c));
          // The 6000 points of the wavy path are drawn with far fewer.
          QVERIFY(lod->layers.back().Pick(1.0)->vertices.size() < 2000);
        }
        auto stride = StrideToolpathLod(m.doc.store, m.doc.layers, lod->params, lod->pens, 50);
        const QImage strided = FromCopy(m.doc, o, *stride);
        if (direction == 1)
          for (QPoint c : m.pathCentres) QVERIFY(Drawn(strided, c));
      }
    }
  }

  // The full drawing of a large toolpath with its projection made on a second thread is the
  // drawing of one thread, pixel for pixel: lines, arcs whose end and centre records lie in
  // different pages, hidden and shown rapids, selected moves, unsound records, feed colours,
  // an echo layer, in every direction.
  void theFullDrawingIsTheSameOnTwoThreads() {
    CDocument d;
    CPointStore& s = d.store;
    s.Init();
    const std::uint32_t page = CPointStore::kPageSize;
    for (int n = 0; s.count < 40 * page; ++n) {
      const double x = (n % 400) * 0.2 - 40, y = (n / 400) * 0.3 - 30;
      if (n % 997 == 0) Put(s, MOVE_RAPID, x, y, 5);
      if (s.count % page == page - 1 && n % 3 == 0) {
        Put(s, MOVE_ARC_CCW, x + 1, y, 0, 700);  // its centre record opens the next page
        Put(s, PLANE_XY, 0.5, 0.5, 0);
      } else if (n % 50 == 0) {
        Put(s, MOVE_ARC_CW, x, y + 0.3, 0.1, 900, n % 7 == 0);
        Put(s, n % 100 ? PLANE_XY : PLANE_ZX, 0.2, 0.1, 0.15);
      } else {
        Put(s, MOVE_LINE_CONT, x, y, std::sin(x / 5) * 3, 300 + n % 1000, n % 311 < 20);
      }
      if (n % 5003 == 0) Put(s, MOVE_LINE_CONT, 1e9, 0, 0);  // unsound: never drawn
    }
    d.layers.SaveLayer(2, s);
    for (std::uint32_t i = 0; i < s.count; ++i) {
      s.FetchPoint(i);
      s.reg.y += 5;
      s.StorePoint(i);
    }
    d.view.width = 300;
    d.view.height = 240;
    for (bool byLayer : {true, false}) {
      for (bool rapids : {false, true}) {
        for (int direction = 1; direction <= 7; ++direction) {
          d.view.SetDirection(direction);
          d.view.showRapids = rapids;
          d.view.Fit(d.store, &d.layers);
          RenderOptions o;
          o.colourByLayer = byLayer;
          QImage one(300, 240, QImage::Format_ARGB32_Premultiplied), two = one;
          ToolpathRenderer r;
          r.projectAhead = false;
          {
            QPainter painter(&one);
            r.Render(painter, d, o);
          }
          const std::uint64_t drawn = r.pointsDrawn;
          r.projectAhead = true;
          {
            QPainter painter(&two);
            r.Render(painter, d, o);
          }
          QCOMPARE(r.pointsDrawn, drawn);
          QVERIFY2(one == two, qPrintable(QString("direction %1").arg(direction)));
        }
      }
    }
  }

  // A large toolpath: frames of a drag and of a run of wheel steps come from the copy, the
  // release and the rest after the wheel bring the full drawing back, pixel for pixel; a store
  // edited behind the view's back is drawn from a stride copy until a new copy is ready.
  void theViewSwitchesBetweenDragAndFullFrames() {
    Program p;
    ToolpathView* v = Open(p);
    v->doc().view.haveLastOperation = false;
    const QPoint middle(v->width() / 2, v->height() / 2);
    // Below the size where drawing takes time a drag draws the full picture, as it always did,
    // and the release draws nothing more.
    // The renders since `base`, the frames from the copy and from stride copies, and whether
    // the view is in drag frames.
    int base = 0;
    auto frames = [&] {
      return QString("%1 %2 %3 %4")
          .arg(v->renders - base)
          .arg(v->lodRenders)
          .arg(v->strideRenders)
          .arg(v->DragFrames());
    };
    v->repaint();
    base = v->renders;
    Press(v, middle);
    DragTo(v, middle + QPoint(40, 10));
    v->repaint();
    Release(v, middle + QPoint(40, 10));
    QApplication::processEvents();
    QCOMPARE(frames(), QString("1 0 0 0"));
    QVERIFY(!v->Preparing() && !v->LodReady());
    QVERIFY(v->picture() == FullOf(v));

    v->doc().view.haveLastOperation = false;
    v->lodRecords = 1;  // this little program counts as large
    v->wheelRestMs = 30;
    v->Redraw();
    v->repaint();
    QTRY_VERIFY(v->LodReady());
    base = v->renders;

    Press(v, middle);
    DragTo(v, middle + QPoint(40, 10));
    v->repaint();
    QCOMPARE(frames(), QString("1 1 0 1"));
    Release(v, middle + QPoint(40, 10));
    QVERIFY(!v->DragFrames());
    v->repaint();
    QCOMPARE(frames(), QString("2 1 0 0"));
    QVERIFY(v->picture() == FullOf(v));

    Wheel(v, 120);
    v->repaint();
    QCOMPARE(frames(), QString("3 2 0 1"));
    QTRY_VERIFY(!v->DragFrames());
    v->repaint();
    QCOMPARE(v->lodRenders, 2);
    QVERIFY(v->picture() == FullOf(v));

    // Half the moves gone without a word to the view: the copy no longer fits.
    CPointStore& s = v->doc().store;
    s.count /= 2;
    Press(v, middle);
    DragTo(v, middle + QPoint(-40, 0));
    v->repaint();
    QCOMPARE(frames().section(' ', 1), QString("2 1 1"));
    QVERIFY(!v->LodReady());
    // Its replacement is prepared meanwhile, and the drag goes on with it.
    QTRY_VERIFY(v->LodReady());
    QTRY_COMPARE(v->lodRenders, 3);  // without waiting for the next move
    DragTo(v, middle + QPoint(-80, 0));
    v->repaint();
    QCOMPARE(v->lodRenders, 4);
    Release(v, middle + QPoint(-80, 0));
    v->repaint();
    QVERIFY(v->picture() == FullOf(v));
  }

  void rubberBandGivesTheCornersOfTheDrag() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<WindowCorners> got;
    bool called = false;
    auto done = [&](std::optional<WindowCorners> w) { called = true, got = w; };
    v->SelectWindow(done, {});
    QCOMPARE(p.window->PaneText(0),
             QString("Help: (ESC : cencel) Push left mouse button and drag."));
    Do(p, v, "press:20,30 move:21,30");  // under 2 pixels: the band is not redrawn
    auto* mode = dynamic_cast<WindowInput*>(v->input());
    QVERIFY(mode);
    QCOMPARE(mode->drawn, QPoint(20, 30));
    Do(p, v, "move:60,80");
    QCOMPARE(mode->drawn, QPoint(60, 80));
    Do(p, v, "release:120,90");
    QVERIFY(called && got && WindowAccepted(*got));
    QCOMPARE(QRect(QPoint(got->x1, got->y1), QPoint(got->x2, got->y2)),
             QRect(QPoint(20, 30), QPoint(120, 90)));
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
    QCOMPARE(Mode(v), QString("none"));
    // A click without moving gives a window the commands refuse; Escape cancels.
    v->SelectWindow(done, {});
    Do(p, v, "press:50,50 release:51,50");
    QVERIFY(got && !WindowAccepted(*got));
    called = false;
    v->SelectWindow(done, {});
    Do(p, v, "press:50,50 key:Escape");
    QVERIFY(called && !got);
    QCOMPARE(p.window->PaneText(0), QString("Help:  "));
  }

  void polygonKeepsTheAcceptedVertices() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::vector<QPoint>> got;
    bool called = false;
    auto done = [&](std::optional<std::vector<QPoint>> r) { called = true, got = r; };
    auto start = [&](int limit, DropRule rule, bool negativeEnds) {
      called = false;
      v->InputPolygon(limit, rule, negativeEnds, done);
    };
    start(100, DropRule::FivePixels, false);
    QCOMPARE(p.window->PaneText(0),
             QString("Help: (ESC : cancel, ENTER : close) Select polygon vertex."));
    Do(p, v, "tap:10,10 tap:13,13 tap:100,10 tap:100,100");
    // Holding the button while moving offers vertices; the 5-pixel rule drops the near ones.
    Do(p, v, "press:10,100 move:12,101 move:30,120 release:30,120 key:Return");
    QVERIFY(called && got);
    QCOMPARE(*got, (std::vector<QPoint>{{10, 10}, {100, 10}, {100, 100}, {10, 100}, {30, 120}}));
    // Two vertices and Enter give nothing, nor does Escape.
    start(100, DropRule::FivePixels, false);
    Do(p, v, "tap:10,10 tap:100,10 key:Enter");
    QVERIFY(called && !got);
    start(100, DropRule::FivePixels, false);
    Do(p, v, "tap:10,10 tap:30,17 tap:50,24 tap:70,31 tap:90,38 key:Escape");
    QVERIFY(called && !got);
    // The identical rule drops only repeated positions; reaching the limit ends the input.
    start(4, DropRule::Identical, false);
    Do(p, v, "tap:10,10 tap:10,10 tap:12,10 tap:12,12");
    QVERIFY(!called);
    Do(p, v, "key:Return");
    QVERIFY(called && got && got->size() == 3);
    start(4, DropRule::Identical, false);
    Do(p, v, "tap:10,10 tap:20,10 tap:20,20 tap:10,20");
    QVERIFY(called && !got);
    // For the inside-polygon trim a position left of the window ends the input.
    start(300, DropRule::FivePixels, true);
    Do(p, v, "press:10,10 press:-3,40");
    QVERIFY(called && !got);
  }

  void pointPickerStepsWithSpaceAndBackspace() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    bool called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    // Record 1 (-100, 50) is at client (100, 100); the click is 6 pixels off.
    Do(p, v, "press:104,104");
    auto* picker = dynamic_cast<PointPicker*>(v->input());
    QVERIFY(picker);
    // The marked record, and the pane's G code.
    auto marked = [&] {
      return QString("%1 %2").arg(picker->marked.value_or(99)).arg(p.window->PaneText(1));
    };
    QCOMPARE(marked(), QString("1 G01"));
    Do(p, v, "key:Space");
    QCOMPARE(marked(), QString("2 G02"));
    Do(p, v, "key:Space");  // the centre record is passed over
    QCOMPARE(picker->marked, std::optional<std::uint32_t>(4));
    // Nothing before the first point.
    Do(p, v, "key:Backspace key:Backspace key:Backspace key:Backspace");
    QCOMPARE(picker->marked, std::optional<std::uint32_t>(0));
    Do(p, v, "key:F9");  // view keys keep working while the picker waits
    QCOMPARE(v->doc().view.scale, 2.0);
    Do(p, v, "key:Space key:Return");
    QVERIFY(called);
    QCOMPARE(got, std::optional<std::uint32_t>(1));
    QCOMPARE(Mode(v), QString("none"));
    // A click far from every point ends the picker without a point.
    called = false;
    v->PickPoint([&](std::optional<std::uint32_t> i) { called = true, got = i; });
    Do(p, v, "press:5,295");
    QVERIFY(called && !got);
  }

  void pathPickerStepsFromPathToPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    std::optional<std::uint32_t> got;
    v->PickPath([&](std::optional<std::uint32_t> i) { got = i; });
    Do(p, v, "press:200,52");  // record 4 (0, 100) is at client (200, 50): the first path
    auto* picker = dynamic_cast<PathPicker*>(v->input());
    QVERIFY(picker);
    // The first record of the marked path after each key: no path after the last.
    QString marks = QString::number(picker->marked.value_or(99));
    for (const char* key : {"key:Space", "key:Space", "key:Backspace"}) {
      Do(p, v, key);
      marks += " " + QString::number(picker->marked.value_or(99));
    }
    QCOMPARE(marks, QString("0 5 5 0"));
    Do(p, v, "key:Escape");
    QVERIFY(!got);
  }

  void selectModeDragTogglesPathsAndShiftClickMarksAPath() {
    Program p;
    ToolpathView* v = TwoPaths(p);
    v->doc().view.mouseMode = MouseMode::Select;
    // A band round the second path (client x 250..300, y 150..200).
    Do(p, v, "drag:240,140:320,220");
    CPointStore& s = v->doc().store;
    QCOMPARE(Bits({s.RawRecord(6)->mark != 0, s.RawRecord(1)->mark != 0}), QString("10"));
    Do(p, v, "key:Space");  // select mode: Space clears the selection
    QVERIFY(!v->AnySelected());
    Do(p, v, "key:Backspace");  // and Backspace inverts it
    QVERIFY(v->AnySelected());
    Do(p, v, "tap+Shift:300,198");
    QVERIFY(v->markedPath);
    QCOMPARE(v->markedPath->first, 5u);
  }

  void pickedPointsScrollThePaneAndThePaneMarksTheirMoves() {
    Program p;
    QAction* toggle = p.window->Action("sourcePane");
    // The dock shown, its item enabled and ticked.
    auto dock = [&p, toggle] {
      return Bits({!p.window->sourceDock()->isHidden(), toggle->isEnabled(), toggle->isChecked()});
    };
    QCOMPARE(dock(), QString("000"));  // no document window yet
    ToolpathView* v = Open(p, ZigzagProgram(p.dir));
    toggle->trigger();
    QCOMPARE(dock(), QString("111"));
    SourcePane* pane = p.window->SourcePaneOf(v);
    QVERIFY(pane);
    SourceTextView* text = pane->text();
    QCOMPARE(text->lines().Count(), std::size_t(308));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc"));
    QTRY_VERIFY(v->width() > 100);
    v->Fit();
    QApplication::processEvents();

    // The point picker: a click on the move to X=200 scrolls its line into sight.
    std::optional<std::uint32_t> picked;
    v->PickPoint([&](std::optional<std::uint32_t> i) { picked = i; });
    CPointStore& s = v->doc().store;
    QVERIFY(s.FetchPoint(201));
    Tap(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(200) - 1));
    QVERIFY(InSight(text, LineOfMove(200) - 1));
    QCOMPARE(pane->info()->text(), QString("zigzag.nc:%1").arg(LineOfMove(200)));
    // Its steps follow, back over the comment line too.
    Key(v, Qt::Key_Space);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(201) - 1));
    auto* picker = dynamic_cast<StepPicker*>(v->input());
    QVERIFY(picker);
    picker->Mark(102);  // the move to X=101, after the comment
    Key(v, Qt::Key_Backspace);
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(100) - 1));
    Key(v, Qt::Key_Escape);
    QVERIFY(!picked);

    // The click in select mode, on the move to X=30 at the far end of the text.
    text->verticalScrollBar()->setValue(static_cast<int>(text->lines().Count()));
    v->doc().view.mouseMode = MouseMode::Select;
    QVERIFY(s.FetchPoint(31));
    Tap(v, v->ClientOf(s.reg.x, s.reg.y, s.reg.z));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(LineOfMove(30) - 1));
    QVERIFY(InSight(text, LineOfMove(30) - 1));

    // The pane's cursor: a click on the line of the move to X=32 marks that move in the view,
    // the arrow keys move the mark, a comment line clears it.
    const int h = text->fontMetrics().lineSpacing();
    const std::size_t line = LineOfMove(32) - 1;
    Tap(text->viewport(),
        QPoint(60, static_cast<int>(line - text->FirstVisibleLine()) * h + h / 2));
    QCOMPARE(text->currentLine(), std::optional<std::size_t>(line));
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(33));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(34));
    text->SetCurrentLine(LineOfMove(100) - 1);
    Key(text, Qt::Key_Down);
    QVERIFY(!v->sourceMark());
    QVERIFY(pane->info()->text().endsWith("This block makes no move"));
    Key(text, Qt::Key_Down);
    QCOMPARE(v->sourceMark(), std::optional<std::uint32_t>(102));
    // A change of the toolpath takes the mark away: its record may be another move now.
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QVERIFY(!v->sourceMark());

    // A point that an edit made has no block; the pane says so and shows none.
    s.reg.type = MOVE_LINE_CONT, s.reg.x = 400, s.reg.y = 0, s.reg.z = 0;
    s.StorePoint(s.count++);
    v->ShowPointStatus(s.count - 1);
    QVERIFY(!text->currentLine());
    QCOMPARE(pane->info()->text(), QString("No source line: made by an edit"));
    QVERIFY(!v->sourceMark());

    toggle->trigger();
    QCOMPARE(dock(), QString("010"));
    // The window closes with the dock shown.
    toggle->trigger();
    QCOMPARE(dock(), QString("111"));
  }

  void hoveringTheChartMarksTheMoveAndItsFilesReadBack() {
    Program p;
    ToolpathView* v = ThreeCuts(p);
    p.window->Action("feedPlot")->trigger();
    auto* dock = p.window->findChild<FeedPlotDock*>("feedPlotDock");
    QVERIFY(dock && dock->isVisible());
    FeedChartWidget* chart = dock->chart();
    chart->resize(800, 300);
    QVERIFY(chart->series());
    QCOMPARE(chart->series()->after.moves.size(), std::size_t{3});

    const QColor mark = ToolpathRenderer::Highlight();
    v->grab();  // the view renders at the size it has beside the chart window
    const QPoint end = v->ClientOf(100, 100, 0);
    QVERIFY(v->grab().toImage().pixelColor(end + QPoint(0, 8)) != mark);
    // Over the middle of the last cut (distances 105 to 205), then the second (5 to 105).
    Hover(chart, AtDistance(chart, 150));
    QCOMPARE(v->markedMove, std::optional<std::uint32_t>(3));
    QCOMPARE(v->grab().toImage().pixelColor(end + QPoint(0, 8)), mark);
    Hover(chart, AtDistance(chart, 50));
    QCOMPARE(v->markedMove, std::optional<std::uint32_t>(2));
    // Outside the plot, and leaving the chart, take the mark away.
    Hover(chart, QPoint(2, 2));
    QVERIFY(!v->markedMove);
    Hover(chart, AtDistance(chart, 150));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart, &leave);
    QVERIFY(!v->markedMove);

    // A command that changes the toolpath: the chart follows when the frame refreshes.
    CPointStore& s = v->doc().store;
    s.FetchPoint(3);
    s.reg.feed = 999;
    s.StorePoint(3);
    v->doc().NoteWorkLayerChanged();
    p.window->RefreshState();
    QCOMPARE(chart->series()->after.moves[2].feed, std::int16_t{999});
    // A change that only redraws the view (an input finishing after its command returned).
    s.FetchPoint(2);
    s.reg.feed = 555;
    s.StorePoint(2);
    v->doc().NoteWorkLayerChanged();
    v->doc().Redraw();
    QTRY_COMPARE(chart->series()->after.moves[1].feed, std::int16_t{555});

    // The export buttons write files that Qt reads back.
    const std::string base = p.dir.filePath("chart").toStdString();
    {
      // A name typed without an extension gets the button's.
      Dialogs d({ChooseFile(base)});
      Find<QAbstractButton>(dock, "exportPng")->click();
    }
    const QImage png(QString::fromStdString(base + ".png"));
    QVERIFY(!png.isNull());
    QCOMPARE(png.size(), QSize(1200, 520));
    QCOMPARE(png.pixelColor(2, 2), QColor(246, 246, 246));
    // (The SVG the same call writes for a name ending in .svg: the chart files' own test.)
  }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
