// What the renderer draws: arcs round and centre records never as points, rapids only when
// shown, the selection and echo layers in their colours, feeds on their scale, no more points
// than pixels, and a damaged master model without harm; the point search of the pickers.
// Drag frames: the simplified copy draws every path where the full drawing draws it, in the
// same colours; the full drawing on two threads is that of one; the view switches to it while a
// drag or a run of wheel steps goes on and back to the full drawing after; a copy of a toolpath
// that was edited since is never drawn.

#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "app/document.h"
#include "gui/master_model_drawing.h"
#include "gui/point_search.h"
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
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
