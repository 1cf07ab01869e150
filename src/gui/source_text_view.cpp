#include "gui/source_text_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <filesystem>
#include <new>

#include "platform/file_io.h"

namespace trevalon {

namespace {

// A line is drawn up to this many bytes: a text of one endless line still paints at once.
constexpr std::size_t kDrawnBytes = 4096;

QColor ColourOf(NcWordKind k) {
  switch (k) {
    case NcWordKind::GCode:
      return QColor(20, 60, 200);
    case NcWordKind::MCode:
      return QColor(150, 30, 150);
    case NcWordKind::Coordinate:
      return QColor(130, 30, 30);
    case NcWordKind::Feed:
      return QColor(200, 100, 0);
    case NcWordKind::BlockNumber:
      return QColor(130, 130, 130);
    case NcWordKind::Word:
      return QColor(0, 120, 120);
    case NcWordKind::Comment:
      return QColor(40, 130, 40);
  }
  return Qt::black;
}

QString Decoded(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

SourceTextView::SourceTextView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(true);
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Base, Qt::white);
  viewport()->setPalette(pal);
  viewport()->setBackgroundRole(QPalette::Base);
  verticalScrollBar()->setSingleStep(1);
}

bool SourceTextView::Open(const std::string& path) {
  // Our rule: a program that the memory cannot hold with its line table is shown as nothing;
  // the program goes on.
  try {
    std::string bytes;
    // Made to the file's size at once: a long program is never held twice while it is read.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size <= NcTextLines::kMaxText) bytes.reserve(static_cast<std::size_t>(size) + 1);
    if (ReadBoundedFile(path, NcTextLines::kMaxText, bytes, false) != FileReadError::None) {
      Clear();
      return false;
    }
    text_ = std::move(bytes);
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  }
  return Reindex();
}

void SourceTextView::SetText(std::string text) {
  text_ = std::move(text);
  Reindex();
}

bool SourceTextView::Reindex() {
  bool indexed = false;
  try {
    indexed = lines_.Index(text_);
  } catch (const std::bad_alloc&) {
  }
  if (!indexed) {
    std::string().swap(text_);
    lines_.Index(text_);
  }
  current_.reset();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  UpdateScrollBars();
  viewport()->update();
  return indexed;
}

int SourceTextView::LineHeight() const {
  return std::max(1, fontMetrics().lineSpacing());
}

int SourceTextView::GutterWidth() const {
  const int digits =
      static_cast<int>(std::to_string(std::max<std::size_t>(lines_.Count(), 1)).size());
  return fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + 1) + 8;
}

std::size_t SourceTextView::VisibleLineCount() const {
  return static_cast<std::size_t>(std::max(1, viewport()->height() / LineHeight()));
}

std::size_t SourceTextView::FirstVisibleLine() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

void SourceTextView::UpdateScrollBars() {
  const std::size_t n = lines_.Count(), shown = VisibleLineCount();
  // Lines beyond the scroll bar's int are not reachable; no program comes near 2^31 lines.
  const std::size_t top = n > shown ? n - shown : 0;
  verticalScrollBar()->setRange(0, static_cast<int>(std::min<std::size_t>(top, 0x7FFFFFFF)));
  verticalScrollBar()->setPageStep(static_cast<int>(shown));
  const std::size_t longest = std::min(lines_.Longest(), kDrawnBytes);
  const int width =
      GutterWidth() + static_cast<int>(longest) * fontMetrics().horizontalAdvance(QLatin1Char('X'));
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('X')));
}

void SourceTextView::SetCurrentLine(std::optional<std::size_t> line, bool reveal) {
  if (line && *line >= lines_.Count()) line.reset();
  current_ = line;
  if (line && reveal) {
    const std::size_t first = FirstVisibleLine(), shown = VisibleLineCount();
    if (*line < first || *line >= first + shown) {
      const std::size_t half = shown / 2;
      verticalScrollBar()->setValue(static_cast<int>(*line > half ? *line - half : 0));
    }
  }
  viewport()->update();
}

void SourceTextView::Choose(std::size_t line) {
  if (lines_.Count() == 0) return;
  line = std::min(line, lines_.Count() - 1);
  const std::size_t first = FirstVisibleLine(), shown = VisibleLineCount();
  // Keys move the view only as far as the cursor needs.
  if (line < first)
    verticalScrollBar()->setValue(static_cast<int>(line));
  else if (line >= first + shown)
    verticalScrollBar()->setValue(static_cast<int>(line - shown + 1));
  SetCurrentLine(line, false);
  emit lineChosen(line);
}

void SourceTextView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const int h = LineHeight(), ascent = fontMetrics().ascent();
  const int gutter = GutterWidth(), dx = horizontalScrollBar()->value();
  const int width = viewport()->width(), height = viewport()->height();
  p.fillRect(0, 0, gutter, height, QColor(240, 240, 240));
  const std::size_t first = FirstVisibleLine();
  const std::size_t end = std::min(lines_.Count(), first + VisibleLineCount() + 1);
  for (std::size_t i = first; i < end; ++i) {
    const int y = static_cast<int>(i - first) * h;
    if (current_ && *current_ == i) {
      p.fillRect(gutter, y, width - gutter, h, QColor(255, 236, 140));
      p.fillRect(0, y, gutter, h, QColor(225, 210, 120));
    }
    p.setPen(QColor(120, 120, 120));
    p.drawText(QRect(0, y, gutter - 6, h), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(static_cast<qulonglong>(i + 1)));
    // The text, clipped right of the gutter, word by word in its colour.
    p.save();
    p.setClipRect(gutter, y, width - gutter, h);
    std::string_view line = lines_.Line(text_, i);
    if (line.size() > kDrawnBytes) line = line.substr(0, kDrawnBytes);
    NcLineWords(line, words_);
    int x = gutter + 4 - dx;
    std::size_t at = 0;
    const auto draw = [&](std::size_t from, std::size_t to, const QColor& c) {
      if (to <= from) return;
      const QString s = Decoded(line.substr(from, to - from));
      p.setPen(c);
      p.drawText(x, y + ascent, s);
      x += fontMetrics().horizontalAdvance(s);
    };
    for (const NcWordSpan& w : words_) {
      draw(at, w.begin, Qt::black);
      draw(w.begin, w.begin + w.length, ColourOf(w.kind));
      at = w.begin + w.length;
      if (x > width) break;
    }
    if (x <= width) draw(at, line.size(), Qt::black);
    p.restore();
  }
}

void SourceTextView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
}

void SourceTextView::scrollContentsBy(int, int) {
  viewport()->update();
}

void SourceTextView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const std::size_t line =
      FirstVisibleLine() + static_cast<std::size_t>(std::max(0, e->position().toPoint().y())) /
                               static_cast<std::size_t>(LineHeight());
  if (line < lines_.Count()) Choose(line);
}

void SourceTextView::keyPressEvent(QKeyEvent* e) {
  if (lines_.Count() == 0) return QAbstractScrollArea::keyPressEvent(e);
  const std::size_t at = current_.value_or(FirstVisibleLine());
  const std::size_t page = VisibleLineCount();
  switch (e->key()) {
    case Qt::Key_Up:
      return Choose(at > 0 ? at - 1 : 0);
    case Qt::Key_Down:
      return Choose(at + 1);
    case Qt::Key_PageUp:
      return Choose(at > page ? at - page : 0);
    case Qt::Key_PageDown:
      return Choose(at + page);
    case Qt::Key_Home:
      if (e->modifiers() & Qt::ControlModifier) return Choose(0);
      break;
    case Qt::Key_End:
      if (e->modifiers() & Qt::ControlModifier) return Choose(lines_.Count() - 1);
      break;
    default:
      break;
  }
  QAbstractScrollArea::keyPressEvent(e);
}

}  // namespace trevalon
