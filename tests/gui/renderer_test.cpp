// What the renderer draws: arcs round and centre records never as points, rapids only when
// shown, the selection and echo layers in their colours, feeds on their scale, no more points
// than pixels, and a damaged master model without harm; and the point search of the pickers.

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

#include "app/document.h"
#include "gui/master_model_drawing.h"
#include "gui/point_search.h"
#include "gui/toolpath_renderer.h"
#include "gui_test_support.h"

using namespace trevalon;

namespace {

// A cut to (x, y, 0) at 500.
void Put(CPointStore& s, int type, double x, double y) {
  s.reg = PointRegister{};
  s.reg.type = type, s.reg.x = x, s.reg.y = y, s.reg.feed = 500;
  s.StorePoint(s.count++);
}

// Top view, one pixel per unit, model origin in the middle of a 200 x 200 image; the records
// run at 500 unless they say otherwise.
void TopView(CDocument& d, const char* records = "") {
  d.store.Init();
  guitest::AddRecords(d.store, records, 500);
  d.view.SetDirection(1);
  d.view.width = d.view.height = 200;
  d.view.scale = 1.0;
  d.view.cu = d.view.cv = 0;
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

}  // namespace

class RendererTest : public QObject {
  Q_OBJECT
 private slots:
  void fullCircleIsDrawnRoundAndItsCentreRecordNot() {
    CDocument d;
    TopView(d, "1 60 0 0, 3 60 0 0, 8 60 0 0, 91 -60 0 0");  // a whole circle round the origin
    const QImage image = Draw(d);
    for (int k = 0; k < 16; ++k) {
      const double a = k * 3.14159265 / 8;
      QVERIFY2(Near(image, 60 * std::cos(a), 60 * std::sin(a), kWhite),
               qPrintable(QString::number(k)));
    }
    // The centre record holds an offset, not a point: nothing at (-60, 0) inside the circle's
    // own line would show it, so look at the offset's place seen as a point from the origin.
    QVERIFY(!Near(image, 0, 0, kWhite));
    QVERIFY(!Near(image, 30, 0, kWhite));
  }

  void quarterArcsTurnTheRightWay() {
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
    QCOMPARE(ToolpathRenderer::FeedColour(100, 100, 900).rgb(), QColor(0, 0, 255).rgb());
    QCOMPARE(ToolpathRenderer::FeedColour(900, 100, 900).rgb(), QColor(255, 0, 0).rgb());
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
    for (int k = 0; k < 100000; ++k) Put(d.store, MOVE_LINE_CONT, 0.3 * (k % 3), 0.1);
    ToolpathRenderer r;
    Draw(d, {}, &r);
    QVERIFY(r.pointsDrawn < 10);
    // A straight run of many points becomes one segment.
    d.store.count = 1;
    for (int k = 0; k < 1000; ++k) Put(d.store, MOVE_LINE_CONT, -90 + 0.18 * k, 0);
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
};

QTEST_MAIN(RendererTest)
#include "renderer_test.moc"
