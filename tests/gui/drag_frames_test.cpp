// Drag frames: the simplified copy draws every path where the full drawing draws it, in the
// same colours; the full drawing on two threads is that of one; the view switches to it while a
// drag or a run of wheel steps goes on and back to the full drawing after; a copy of a toolpath
// that was edited since is never drawn.

#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "gui/toolpath_renderer.h"
#include "gui_test_support.h"
#include "view/toolpath_lod.h"

using namespace trevalon;
using namespace trevalon::guitest;

namespace {

void Put(CPointStore& s, int type, double x, double y, double z, int feed = 500, int mark = 0) {
  s.reg.type = type;
  s.reg.x = x, s.reg.y = y, s.reg.z = z;
  s.reg.feed = feed;
  s.reg.mark = mark;
  s.StorePoint(s.count);
  ++s.count;
}

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
    doc.view.SetDirection(1);
    // Wider than the paths, so that the feed legend at the right (whose smoothed text blends
    // with what lies under it) stays clear of them.
    doc.view.width = 320;
    doc.view.height = 200;
    doc.view.scale = 1.0;
    doc.view.cu = doc.view.cv = 0;
  }
};

QImage Full(CDocument& d, const RenderOptions& o) {
  QImage image(d.view.width, d.view.height, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ToolpathRenderer().Render(painter, d, o);
  return image;
}

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

class DragFramesTest : public QObject {
  Q_OBJECT
 private slots:
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
        const QImage full = Full(m.doc, o);
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
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    v->doc().view.haveLastOperation = false;
    v->lodRecords = 1;  // this little program counts as large
    v->wheelRestMs = 30;
    v->Redraw();
    v->repaint();
    QTRY_VERIFY(v->LodReady());
    const int renders = v->renders;
    const QPoint middle(v->width() / 2, v->height() / 2);

    Press(v, middle);
    DragTo(v, middle + QPoint(40, 10));
    QVERIFY(v->DragFrames());
    v->repaint();
    QCOMPARE(v->lodRenders, 1);
    QCOMPARE(v->renders, renders + 1);
    Release(v, middle + QPoint(40, 10));
    QVERIFY(!v->DragFrames());
    v->repaint();
    QCOMPARE(v->renders, renders + 2);
    QCOMPARE(v->lodRenders, 1);
    QVERIFY(v->picture() == FullOf(v));

    Wheel(v, 120);
    QVERIFY(v->DragFrames());
    v->repaint();
    QCOMPARE(v->lodRenders, 2);
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
    QCOMPARE(v->lodRenders, 2);
    QCOMPARE(v->strideRenders, 1);
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

  // Below the size where drawing takes time a drag draws the full picture, as it always did,
  // and the release draws nothing more.
  void aSmallToolpathIsDrawnInFullWhileDragging() {
    Program p;
    QCOMPARE(p.window->OpenFile(TestFile("pocket_ijk.nc")), 1);
    ToolpathView* v = p.window->ActiveView();
    v->doc().view.haveLastOperation = false;
    v->repaint();
    const int renders = v->renders;
    const QPoint middle(v->width() / 2, v->height() / 2);
    Press(v, middle);
    DragTo(v, middle + QPoint(40, 10));
    v->repaint();
    Release(v, middle + QPoint(40, 10));
    QApplication::processEvents();
    QCOMPARE(v->renders, renders + 1);
    QCOMPARE(v->lodRenders + v->strideRenders, 0);
    QVERIFY(!v->Preparing() && !v->LodReady());
    QVERIFY(v->picture() == FullOf(v));
  }
};

QTEST_MAIN(DragFramesTest)
#include "drag_frames_test.moc"
