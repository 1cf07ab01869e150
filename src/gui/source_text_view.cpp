#include "gui/source_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
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
  editor_ = new QLineEdit(viewport());
  editor_->setObjectName("lineEditor");
  editor_->setFrame(false);
  editor_->setFont(font());
  editor_->hide();
  editor_->installEventFilter(this);
  connect(editor_, &QLineEdit::textEdited, this, [this] {
    typed_ = true;
    emit lineTyped();
  });
  flash_.setSingleShot(true);
  connect(&flash_, &QTimer::timeout, this, [this] {
    flashCount_ = 0;
    viewport()->update();
  });
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

void SourceTextView::ShowHeld(const std::string& text, const NcTextLines& lines, bool keepPlace) {
  const bool was = holdsOther();
  shown_ = &text;
  shownLines_ = &lines;
  // The own copy is not needed while another text is shown.
  std::string().swap(text_);
  lines_.Index(text_);
  if (!keepPlace || !was) {
    current_.reset();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
  }
  if (current_ && *current_ >= lines.Count())
    current_ = lines.Count() > 0 ? std::optional<std::size_t>(lines.Count() - 1) : std::nullopt;
  if (anchor_ && *anchor_ >= lines.Count()) anchor_.reset();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

bool SourceTextView::Reindex() {
  shown_ = &text_;
  shownLines_ = &lines_;
  anchor_.reset();
  flashCount_ = 0;
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
  PlaceEditor();
  viewport()->update();
  return indexed;
}

int SourceTextView::LineHeight() const {
  return std::max(1, fontMetrics().lineSpacing());
}

int SourceTextView::GutterWidth() const {
  const int digits =
      static_cast<int>(std::to_string(std::max<std::size_t>(shownLines_->Count(), 1)).size());
  return fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + 1) + 8;
}

std::size_t SourceTextView::VisibleLineCount() const {
  return static_cast<std::size_t>(std::max(1, viewport()->height() / LineHeight()));
}

std::size_t SourceTextView::FirstVisibleLine() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

void SourceTextView::UpdateScrollBars() {
  const std::size_t n = shownLines_->Count(), shown = VisibleLineCount();
  // Lines beyond the scroll bar's int are not reachable; no program comes near 2^31 lines.
  const std::size_t top = n > shown ? n - shown : 0;
  verticalScrollBar()->setRange(0, static_cast<int>(std::min<std::size_t>(top, 0x7FFFFFFF)));
  verticalScrollBar()->setPageStep(static_cast<int>(shown));
  const std::size_t longest = std::min(shownLines_->Longest(), kDrawnBytes);
  const int width =
      GutterWidth() + static_cast<int>(longest) * fontMetrics().horizontalAdvance(QLatin1Char('X'));
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('X')));
}

void SourceTextView::SetCurrentLine(std::optional<std::size_t> line, bool reveal) {
  if (line && *line >= shownLines_->Count()) line.reset();
  current_ = line;
  anchor_.reset();
  if (line && reveal) {
    const std::size_t first = FirstVisibleLine(), shown = VisibleLineCount();
    if (*line < first || *line >= first + shown) {
      const std::size_t half = shown / 2;
      verticalScrollBar()->setValue(static_cast<int>(*line > half ? *line - half : 0));
    }
  }
  ReloadEditor(0);
  viewport()->update();
}

void SourceTextView::Choose(std::size_t line, bool extend) {
  if (shownLines_->Count() == 0) return;
  line = std::min(line, shownLines_->Count() - 1);
  const std::size_t first = FirstVisibleLine(), shown = VisibleLineCount();
  // Keys move the view only as far as the cursor needs.
  if (line < first)
    verticalScrollBar()->setValue(static_cast<int>(line));
  else if (line >= first + shown)
    verticalScrollBar()->setValue(static_cast<int>(line - shown + 1));
  const std::optional<std::size_t> from = current_;
  SetCurrentLine(line, false);
  if (extend && from && *from != line) anchor_ = from;
  emit lineChosen(line);
}

// ---- Editing ---------------------------------------------------------------------------------

void SourceTextView::SetEditing(bool on) {
  editing_ = on;
  if (on && !current_ && shownLines_->Count() > 0) current_ = FirstVisibleLine();
  ReloadEditor(0);
  if (on) editor_->setFocus();
  viewport()->update();
}

std::string SourceTextView::EditedText() const {
  return editor_->text().toStdString();
}

bool SourceTextView::EditPending() const {
  if (!editing_ || !typed_ || !current_ || *current_ >= shownLines_->Count()) return false;
  return EditedText() != shownLines_->Line(*shown_, *current_);
}

void SourceTextView::ReloadEditor(std::optional<int> column) {
  typed_ = false;
  if (!editing_ || !current_ || *current_ >= shownLines_->Count()) {
    editor_->hide();
    return;
  }
  std::string_view line = shownLines_->Line(*shown_, *current_);
  const int at = column.value_or(editor_->cursorPosition());
  // Setting the text also ends the line editor's own undo: from here undo is the document's.
  editor_->setText(Decoded(line));
  editor_->setCursorPosition(std::min(at, static_cast<int>(editor_->text().size())));
  PlaceEditor();
}

void SourceTextView::PlaceEditor() {
  if (!editing_ || !current_ || *current_ >= shownLines_->Count()) {
    editor_->hide();
    return;
  }
  const std::size_t first = FirstVisibleLine();
  if (*current_ < first || *current_ > first + VisibleLineCount()) {
    editor_->hide();
    return;
  }
  const int h = LineHeight(), gutter = GutterWidth();
  const int y = static_cast<int>(*current_ - first) * h;
  // The editor scrolls with the text: its left edge where the drawn text starts.
  const int x = gutter + 4 - horizontalScrollBar()->value();
  editor_->setTextMargins(0, 0, 0, 0);
  editor_->setGeometry(std::min(x, gutter), y, viewport()->width() - std::min(x, gutter) + 1, h);
  editor_->setTextMargins(std::max(0, x - gutter), 0, 0, 0);
  editor_->show();
}

std::optional<std::pair<std::size_t, std::size_t>> SourceTextView::SelectedLines() const {
  if (!anchor_ || !current_) return std::nullopt;
  return std::make_pair(std::min(*anchor_, *current_), std::max(*anchor_, *current_));
}

void SourceTextView::FlashLines(std::size_t first, std::size_t count, int ms) {
  flashFirst_ = first;
  flashCount_ = count;
  flash_.start(ms);
  viewport()->update();
}

std::size_t SourceTextView::BytesBefore(int column) const {
  return static_cast<std::size_t>(editor_->text().left(column).toUtf8().size());
}

// The keys of the line editor that act on lines rather than characters. True when handled.
bool SourceTextView::EditorKey(QKeyEvent* e) {
  const std::size_t line = current_.value_or(0);
  const std::size_t count = shownLines_->Count();
  const int pos = editor_->cursorPosition();
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const auto selected = SelectedLines();
  if (selected && (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut))) {
    std::string lines;
    for (std::size_t i = selected->first; i <= selected->second; ++i)
      lines.append(shownLines_->Line(*shown_, i)).append("\n");
    QApplication::clipboard()->setText(Decoded(lines));
    if (e->matches(QKeySequence::Cut)) emit deleteLinesWanted(selected->first, selected->second);
    return true;
  }
  if (selected && (e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace)) {
    emit deleteLinesWanted(selected->first, selected->second);
    return true;
  }
  if (e->matches(QKeySequence::Paste)) {
    const QString clip = QApplication::clipboard()->text();
    if (!clip.contains('\n') && !clip.contains('\r')) return false;
    emit pasteWanted(line, BytesBefore(pos), clip.toStdString());
    return true;
  }
  switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      emit commitWanted();
      const std::size_t at = current_.value_or(0), page = VisibleLineCount();
      const std::size_t to = e->key() == Qt::Key_Up       ? (at > 0 ? at - 1 : 0)
                             : e->key() == Qt::Key_Down   ? at + 1
                             : e->key() == Qt::Key_PageUp ? (at > page ? at - page : 0)
                                                          : at + page;
      const std::optional<std::size_t> anchor =
          shift ? (anchor_ ? anchor_ : current_) : std::nullopt;
      Choose(to);
      if (anchor && current_ && *anchor != *current_) anchor_ = anchor;
      editor_->setCursorPosition(std::min(pos, static_cast<int>(editor_->text().size())));
      viewport()->update();
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (ctrl)
        emit commitWanted();
      else
        emit splitWanted(line, BytesBefore(pos));
      return true;
    case Qt::Key_Backspace:
      if (pos == 0 && !editor_->hasSelectedText() && line > 0) {
        emit joinWanted(line - 1, false);
        return true;
      }
      return false;
    case Qt::Key_Delete:
      if (pos == editor_->text().size() && !editor_->hasSelectedText() && line + 1 < count) {
        emit joinWanted(line, true);
        return true;
      }
      return false;
    case Qt::Key_Escape:
      ReloadEditor();  // the line as the text holds it
      return true;
    default:
      return false;
  }
}

bool SourceTextView::eventFilter(QObject* watched, QEvent* e) {
  if (watched == editor_) {
    if (e->type() == QEvent::ShortcutOverride) {
      auto* k = static_cast<QKeyEvent*>(e);
      // Our rule: undo and redo stay in the line while the line editor has steps of its own;
      // past them (and always once a line is committed) they are the document's, which bring
      // back the text and the toolpath together.
      if ((k->matches(QKeySequence::Undo) && !editor_->isUndoAvailable()) ||
          (k->matches(QKeySequence::Redo) && !editor_->isRedoAvailable())) {
        emit commitWanted();
        k->ignore();
        return true;
      }
      // The window's keys (Ctrl+C is also the toolpath's save) give way to the editor's.
      if (k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Cut) ||
          k->matches(QKeySequence::Paste) || k->key() == Qt::Key_Return ||
          k->key() == Qt::Key_Enter || k->key() == Qt::Key_Tab) {
        k->accept();
        return true;
      }
    }
    if (e->type() == QEvent::KeyPress && EditorKey(static_cast<QKeyEvent*>(e))) return true;
  }
  return QAbstractScrollArea::eventFilter(watched, e);
}

void SourceTextView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const int h = LineHeight(), ascent = fontMetrics().ascent();
  const int gutter = GutterWidth(), dx = horizontalScrollBar()->value();
  const int width = viewport()->width(), height = viewport()->height();
  p.fillRect(0, 0, gutter, height, QColor(240, 240, 240));
  const std::size_t first = FirstVisibleLine();
  const std::size_t end = std::min(shownLines_->Count(), first + VisibleLineCount() + 1);
  for (std::size_t i = first; i < end; ++i) {
    const int y = static_cast<int>(i - first) * h;
    const auto selected = SelectedLines();
    if (flashCount_ > 0 && i >= flashFirst_ && i - flashFirst_ < flashCount_)
      p.fillRect(gutter, y, width - gutter, h, QColor(200, 240, 200));
    if (selected && i >= selected->first && i <= selected->second)
      p.fillRect(gutter, y, width - gutter, h, QColor(190, 210, 245));
    else if (current_ && *current_ == i) {
      p.fillRect(gutter, y, width - gutter, h, QColor(255, 236, 140));
      p.fillRect(0, y, gutter, h, QColor(225, 210, 120));
    }
    p.setPen(QColor(120, 120, 120));
    p.drawText(QRect(0, y, gutter - 6, h), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(static_cast<qulonglong>(i + 1)));
    // The text, clipped right of the gutter, word by word in its colour.
    p.save();
    p.setClipRect(gutter, y, width - gutter, h);
    std::string_view line = shownLines_->Line(*shown_, i);
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
  PlaceEditor();
}

void SourceTextView::scrollContentsBy(int, int) {
  PlaceEditor();
  viewport()->update();
}

void SourceTextView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const std::size_t line =
      FirstVisibleLine() + static_cast<std::size_t>(std::max(0, e->position().toPoint().y())) /
                               static_cast<std::size_t>(LineHeight());
  if (line >= shownLines_->Count()) return;
  if (editing_) emit commitWanted();
  Choose(line, e->modifiers() & Qt::ShiftModifier);
  if (editing_) editor_->setFocus();
}

void SourceTextView::keyPressEvent(QKeyEvent* e) {
  if (shownLines_->Count() == 0) return QAbstractScrollArea::keyPressEvent(e);
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
      if (e->modifiers() & Qt::ControlModifier) return Choose(shownLines_->Count() - 1);
      break;
    default:
      break;
  }
  QAbstractScrollArea::keyPressEvent(e);
}

}  // namespace trevalon
