#include "gui/feed_plot_dock.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "gui/dialog_kit.h"
#include "gui/machined_part.h"
#include "gui/main_window.h"
#include "gui/toolpath_view.h"

namespace trevalon {

namespace {

QColor ColourOf(ChartColour c) {
  return QColor(c.r, c.g, c.b);
}

}  // namespace

void PaintChartPicture(QPainter& p, const ChartPicture& picture) {
  p.save();
  p.fillRect(QRectF(0, 0, picture.width, picture.height), ColourOf(picture.background));
  for (const ChartShape& s : picture.shapes) {
    switch (s.kind) {
      case ChartShape::Kind::Rect:
        if (s.points.size() == 2)
          p.fillRect(
              QRectF(QPointF(s.points[0].x, s.points[0].y), QPointF(s.points[1].x, s.points[1].y))
                  .normalized(),
              ColourOf(s.colour));
        break;
      case ChartShape::Kind::Line: {
        // Not smoothed, as the PNG writer draws: lines lie on pixel centres, and a series of
        // thousands of steep steps paints in milliseconds instead of a tenth of a second. It
        // goes in short pieces: the painter strokes a polyline as one outline, which for a few
        // thousand points up and down the chart takes seconds; pieces join under round caps.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(ColourOf(s.colour), s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        std::vector<QPointF> points;
        points.reserve(s.points.size());
        for (const ChartPoint& c : s.points) points.emplace_back(c.x, c.y);
        constexpr std::size_t kPiece = 8;
        for (std::size_t from = 0; from + 1 < points.size(); from += kPiece) {
          const std::size_t n = std::min(kPiece + 1, points.size() - from);
          p.drawPolyline(points.data() + from, static_cast<int>(n));
        }
        break;
      }
      case ChartShape::Kind::Text: {
        if (s.points.empty()) break;
        QFont font("monospace");
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(ChartFontPixels(s.width));
        p.setFont(font);
        p.setPen(ColourOf(s.colour));
        const QString text = QString::fromLatin1(s.text.data(), static_cast<int>(s.text.size()));
        const double w = QFontMetricsF(font).horizontalAdvance(text);
        double x = s.points[0].x;
        if (s.anchor == ChartShape::Anchor::Middle) x -= w / 2;
        if (s.anchor == ChartShape::Anchor::End) x -= w;
        p.drawText(QPointF(x, s.points[0].y), text);
        break;
      }
    }
  }
  p.restore();
}

// ---- The chart -------------------------------------------------------------------------------

FeedChartWidget::FeedChartWidget(QWidget* parent) : QWidget(parent) {
  setObjectName("feedChart");
  setMouseTracking(true);
  // The chart is never laid out smaller than a file's chart can be.
  setMinimumSize(FeedChartOptions::kWidthRange.lo, FeedChartOptions::kHeightRange.lo);
  LayOut();
}

void FeedChartWidget::SetSeries(std::shared_ptr<const FeedChartSeries> series) {
  series_ = std::move(series);
  cursorX_ = -1;
  cursorMove_.reset();
  LayOut();
  update();
}

void FeedChartWidget::LayOut() {
  static const FeedChartSeries kNone;
  const FeedChartSeries& s = series_ ? *series_ : kNone;
  FeedChartOptions options;
  options.width = std::max(width(), 1);
  options.height = std::max(height(), 1);
  chart_ = LayOutFeedChart(s.after, s.hasBefore ? &s.before : nullptr, options);
  picture_ = QImage();
}

std::optional<std::uint32_t> FeedChartWidget::RecordAt(QPoint at) const {
  if (!series_ || at.x() < chart_.left || at.x() >= chart_.right || at.y() < chart_.top ||
      at.y() >= chart_.bottom)
    return std::nullopt;
  // The centre of the pixel column, as the decimation counts the moves into columns.
  const auto move = series_->after.MoveAt(chart_.DistanceAt(at.x() + 0.5));
  if (!move) return std::nullopt;
  return series_->after.moves[*move].record;
}

void FeedChartWidget::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) {
    const qreal ratio = devicePixelRatioF();
    picture_ = QImage(QSize(chart_.picture.width, chart_.picture.height) * ratio,
                      QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    QPainter painter(&picture_);
    PaintChartPicture(painter, chart_.picture);
  }
  QPainter p(this);
  p.drawImage(0, 0, picture_);
  if (cursorX_ < 0 || !series_ || !cursorMove_) return;
  // The cursor: a line over the plot and what the move under it is.
  const double x = cursorX_ + 0.5;
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
  p.drawLine(QPointF(x, chart_.top), QPointF(x, chart_.bottom));
  const ProfileMove& m = series_->after.moves[*cursorMove_];
  char text[120];
  std::snprintf(text, sizeof text, "#%u  F%d  %.1f mm", m.record, m.feed,
                series_->after.Start(*cursorMove_));
  if (series_->after.hasSlopes)
    std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), "  %d deg", m.slope);
  QFont font("monospace");
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(12);
  p.setFont(font);
  const QString label = QString::fromLatin1(text);
  const QFontMetricsF fm(font);
  QRectF box(0, chart_.top + 2, fm.horizontalAdvance(label) + 8, fm.height() + 4);
  box.moveLeft(x + 6 + box.width() <= chart_.right ? x + 6 : x - 6 - box.width());
  p.fillRect(box, QColor(255, 255, 255, 220));
  p.setPen(ColourOf(kChartTextColour));
  p.drawText(box, Qt::AlignCenter, label);
}

void FeedChartWidget::resizeEvent(QResizeEvent*) {
  LayOut();
}

void FeedChartWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  const std::optional<std::uint32_t> record = RecordAt(at);
  cursorX_ = record ? at.x() : -1;
  cursorMove_ = record ? series_->after.MoveAt(chart_.DistanceAt(at.x() + 0.5)) : std::nullopt;
  update();
  emit hovered(record ? static_cast<qint64>(*record) : -1);
}

void FeedChartWidget::leaveEvent(QEvent*) {
  cursorX_ = -1;
  cursorMove_.reset();
  update();
  emit hovered(-1);
}

// ---- The window ------------------------------------------------------------------------------

FeedPlotDock::FeedPlotDock(MainWindow& frame) : QDockWidget(&frame), frame_(frame) {
  setObjectName("feedPlotDock");
  setWindowTitle(L("Feed 그래프"));
  setProperty("label", QByteArray(LabelText("Feed 그래프")));  // retitled when the labels change
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  chart_ = new FeedChartWidget(body);
  layout->addWidget(chart_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (bool png : {true, false}) {
    const char* label = png ? LabelText("PNG 저장") : LabelText("SVG 저장");
    auto* b = new QPushButton(L(label), body);
    b->setProperty("label", QByteArray(label));  // relabelled when the language changes
    b->setObjectName(png ? "exportPng" : "exportSvg");
    connect(b, &QPushButton::clicked, this, [this, png] { ExportPicked(png); });
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  setWidget(body);
  connect(chart_, &FeedChartWidget::hovered, this, &FeedPlotDock::Mark);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (shown) Refresh();
  });
  connect(&frame_, &MainWindow::stateRefreshed, this, &FeedPlotDock::Refresh);
}

void FeedPlotDock::Refresh() {
  if (!isVisible()) return;
  ToolpathView* v = frame_.ActiveView();
  std::optional<Key> key;
  if (v) {
    CDocument& doc = v->doc();
    key = Key{&doc,
              doc.edits,
              doc.layers.workLayer,
              doc.beforeOptimizerLayer,
              doc.master.Exists() ? doc.master.Cells() : nullptr,
              doc.master.Exists() ? FeedChartSlopeRadius(v->app()) : 0.0,
              v->machined && v->machined->Current(doc) ? v->machined->run : 0};
  }
  if (key == shown_ && v == view_) return;
  Mark(-1);  // the marked record may not be the same move any more
  if (view_ != v) {
    if (view_) view_->removeEventFilter(this);
    if (v) v->installEventFilter(this);
  }
  shown_ = key;
  view_ = v;
  if (!v) {
    chart_->SetSeries(nullptr);
    return;
  }
  auto series = std::make_shared<FeedChartSeries>();
  // A series that cannot have its memory leaves the chart empty; the toolpath is untouched.
  if (!CollectFeedChartSeries(v->app(), v->doc(), {}, *series)) series.reset();
  // With a simulation of the toolpath shown, its removal rate is the second series (the
  // rates of the whole program, wherever the slider rests). Rates that cannot have their
  // memory leave the feed alone on the chart.
  if (series && key->simulation != 0 && !AddRemovalRatesOf(v->machined->result, series->after))
    series->after.rates.clear();
  chart_->SetSeries(std::move(series));
}

bool FeedPlotDock::eventFilter(QObject* watched, QEvent* e) {
  // After the view's paint, not inside it: the chart is laid out once the event is done.
  if (e->type() == QEvent::Paint && watched == view_ && !refreshQueued_) {
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      refreshQueued_ = false;
      Refresh();
    });
  }
  return QDockWidget::eventFilter(watched, e);
}

void FeedPlotDock::Mark(qint64 record) {
  if (!view_) return;
  std::optional<std::uint32_t> mark;
  if (record >= 0) mark = static_cast<std::uint32_t>(record);
  if (view_->markedMove == mark) return;
  view_->markedMove = mark;
  view_->update();
}

bool FeedPlotDock::Export(const std::string& path) {
  static const FeedChartSeries kNone;
  const auto& series = chart_->series();
  const FeedChartSeries& s = series ? *series : kNone;
  const FeedChart chart =
      LayOutFeedChart(s.after, s.hasBefore ? &s.before : nullptr, FeedChartOptions{});
  const Outcome written = WriteChartFile(chart.picture, path);
  if (!written && view_) view_->app().ShowCannotOpen();
  return written.ok();
}

void FeedPlotDock::ExportPicked(bool png) {
  FilePick pick;
  pick.mode = FilePick::Mode::Save;
  pick.filters = {png ? "PNG (*.png)" : "SVG (*.svg)"};
  if (view_) pick.directory = view_->app().settings.workDir;
  std::string path = PickFile(this, pick);
  if (path.empty()) return;
  // A name typed without its extension gets the one of the button.
  if (ChartFormatOfPath(path) == ChartFormat::None) path += png ? ".png" : ".svg";
  Export(path);
}

}  // namespace trevalon
