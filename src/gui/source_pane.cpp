#include "gui/source_pane.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/source_commands.h"
#include "app/text_edit_commands.h"
#include "gui/dialog_kit.h"
#include "gui/source_text_view.h"
#include "gui/toolpath_view.h"

namespace trevalon {

namespace {

bool SameFile(const SourceFile& a, const SourceFile& b) {
  return a.path == b.path && a.size == b.size && a.modified == b.modified;
}

}  // namespace

SourcePane::SourcePane(ToolpathView& view, DialogMemory& memory, QWidget* parent)
    : QWidget(parent),
      view_(view),
      memory_(memory),
      text_(new SourceTextView(this)),
      info_(new QLabel(this)) {
  setObjectName("sourcePane");
  text_->setObjectName("sourceText");
  info_->setObjectName("sourceInfo");
  info_->setTextFormat(Qt::PlainText);
  info_->setMinimumWidth(1);  // a long path does not widen the dock
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(info_);
  BuildTools();
  layout->addWidget(text_, 1);
  connect(text_, &SourceTextView::lineChosen, this, &SourcePane::LineChosen);
}

void SourcePane::SetInfo(const QString& text) {
  info_->setText(text);
  info_->setToolTip(text);
}

void SourcePane::ShowNothing() {
  shown_.reset();
  matches_ = false;
  text_->Clear();
  SetInfo({});
}

void SourcePane::ShowFile(const SourceFile& f) {
  if (shown_ && SameFile(*shown_, f)) return;
  shown_ = f;
  const QString name = QFileInfo(Q(f.path)).fileName();
  const CApplication& app = view_.app();
  if (!text_->Open(f.path)) {
    matches_ = false;
    SetInfo(Q(FillText(app.Text(Txt::SourceUnreadable), name.toStdString())));
    return;
  }
  // The text read is the program the records point into only when the file is still as the
  // work layer read it.
  matches_ = SourceFileUnchanged(f) && text_->text().size() == f.size;
  SetInfo(matches_ ? name : Q(FillText(app.Text(Txt::SourceFileChanged), name.toStdString())));
}

void SourcePane::DropStaleMark(bool shown) {
  const CDocument& doc = view_.doc();
  if (view_.sourceMark() &&
      (!shown || doc.edits != markEdits_ || doc.layers.workLayer != markLayer_))
    view_.ShowSourceMark(std::nullopt);
}

void SourcePane::Sync() {
  RefreshSyncBar();
  if (view_.doc().text.open) {
    ShowHeldText();
    return;
  }
  if (held_) {  // the text went (a new program was read)
    held_ = false;
    text_->SetEditing(false);
    edit_->setChecked(false);
    findBar_->hide();
    shown_.reset();
  }
  const SourceLines lines = view_.doc().CurrentSourceLines();
  const std::vector<SourceFile>& files = lines.Files();
  if (shown_) {
    for (const SourceFile& f : files)
      if (SameFile(f, *shown_)) return;
  }
  if (files.empty())
    ShowNothing();
  else
    ShowFile(files.front());
}

void SourcePane::ShowRecord(std::uint32_t record) {
  if (linking_) return;
  SourceFile file;
  const std::optional<SourcePlace> place = SourcePlaceOf(view_.doc(), record, &file);
  if (held_) {
    // The records point into the text as edited while it describes the toolpath.
    const EditedText& et = view_.doc().text;
    if (!place || !et.Describes(view_.doc().edits) || file.path != et.path) {
      text_->SetCurrentLine(std::nullopt);
      SetInfo(view_.app().Text(Txt::SourceMadeByEdit));
      return;
    }
    const std::size_t line = et.lines.LineOf(place->offset);
    text_->SetCurrentLine(line);
    SetInfo(QString("%1:%2").arg(QFileInfo(Q(et.path)).fileName()).arg(line + 1));
    return;
  }
  if (!place) {
    Sync();
    text_->SetCurrentLine(std::nullopt);
    SetInfo(view_.app().Text(Txt::SourceMadeByEdit));
    return;
  }
  ShowFile(file);
  if (!matches_) {
    text_->SetCurrentLine(std::nullopt);
    return;
  }
  const std::size_t line = text_->lines().LineOf(place->offset);
  text_->SetCurrentLine(line);
  SetInfo(QString("%1:%2").arg(QFileInfo(Q(file.path)).fileName()).arg(line + 1));
}

void SourcePane::LineChosen(std::size_t line) {
  CDocument& doc = view_.doc();
  if (held_) {
    // A text that no longer describes the toolpath is linked to nothing.
    if (!doc.text.Describes(doc.edits)) return;
    shown_ = SourceFile{};
    shown_->path = doc.text.path;
  } else if (!shown_ || !matches_) {
    return;
  }
  const SourceLines lines = doc.CurrentSourceLines();
  std::optional<std::uint32_t> record;
  const std::vector<SourceFile>& files = lines.Files();
  for (std::size_t f = 0; f < files.size() && !record; ++f) {
    if (held_ ? files[f].path != doc.text.path : !SameFile(files[f], *shown_)) continue;
    record = lines.FirstFrom(f, text_->lines().Start(line), text_->lines().End(line));
  }
  // Lines for more records than the store holds are not the store's (SourcePlaceOf).
  if (record && (*record >= doc.store.count || lines.Size() > doc.store.count)) record.reset();
  const QString name = QFileInfo(Q(shown_->path)).fileName();
  SetInfo(record ? QString("%1:%2").arg(name).arg(line + 1)
                 : QString("%1:%2  %3")
                       .arg(name)
                       .arg(line + 1)
                       .arg(Q(view_.app().Text(Txt::SourceNoMove))));
  linking_ = true;
  markEdits_ = doc.edits;
  markLayer_ = doc.layers.workLayer;
  view_.ShowSourceMark(record);
  linking_ = false;
}

// ---- Editing ---------------------------------------------------------------------------------

void SourcePane::BuildTools() {
  const CApplication& app = view_.app();
  auto* tools = new QWidget(this);
  auto* row = new QHBoxLayout(tools);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  const auto button = [&](Txt label, const char* name, auto slot) {
    auto* b = new QToolButton(tools);
    b->setText(Q(app.Text(label)));
    b->setObjectName(name);
    b->setAutoRaise(true);
    row->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
    return b;
  };
  edit_ = button(Txt::EditorEdit, "editToggle", [this](bool on) {
    if (!SetEditing(on)) edit_->setChecked(false);
  });
  edit_->setCheckable(true);
  edit_->setToolTip(Q(app.Text(Txt::TipProgramEdit)));
  button(Txt::EditorApply, "applyEdit", [this] { ApplyPending(); });
  button(Txt::EditorGoToLine, "goToLine", [this] { AskGoToLine(); });
  button(Txt::EditorRenumber, "renumber", [this] { AskRenumber(); });
  button(Txt::EditorSaveText, "saveText", [this] { SaveText(); });
  row->addStretch(1);
  layout()->addWidget(tools);

  findBar_ = new QWidget(this);
  findBar_->setObjectName("findBar");
  auto* f = new QHBoxLayout(findBar_);
  f->setContentsMargins(0, 0, 0, 0);
  f->setSpacing(2);
  find_ = new QLineEdit(findBar_);
  find_->setObjectName("findText");
  find_->setPlaceholderText(Q(app.Text(Txt::EditorFind)));
  replace_ = new QLineEdit(findBar_);
  replace_->setObjectName("replaceText");
  replace_->setPlaceholderText(Q(app.Text(Txt::EditorReplace)));
  regex_ = new QCheckBox(Q(app.Text(Txt::EditorRegex)), findBar_);
  regex_->setObjectName("regex");
  f->addWidget(find_, 2);
  f->addWidget(replace_, 2);
  f->addWidget(regex_);
  const auto findButton = [&](Txt label, const char* name, auto slot) {
    auto* b = new QToolButton(findBar_);
    b->setText(Q(app.Text(label)));
    b->setObjectName(name);
    f->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
  };
  findButton(Txt::EditorFind, "findNext", [this] { FindNext(); });
  findButton(Txt::EditorReplace, "replaceOne", [this] { ReplaceOne(); });
  findButton(Txt::EditorReplaceAll, "replaceAll", [this] { ReplaceAll(); });
  connect(find_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  findBar_->hide();
  layout()->addWidget(findBar_);

  syncBar_ = new QFrame(this);
  syncBar_->setObjectName("textSyncBar");
  syncBar_->setFrameStyle(QFrame::StyledPanel);
  syncBar_->setStyleSheet("QFrame#textSyncBar { background: #fff3c4; }");
  auto* sync = new QVBoxLayout(syncBar_);
  sync->setContentsMargins(4, 2, 4, 2);
  syncText_ = new QLabel(syncBar_);
  syncText_->setWordWrap(true);
  syncText_->setTextFormat(Qt::PlainText);
  sync->addWidget(syncText_);
  auto* choices = new QHBoxLayout;
  auto* write = new QPushButton(Q(app.Text(Txt::TextReplaceWithWritten)), syncBar_);
  write->setObjectName("textFromToolpath");
  auto* keep = new QPushButton(Q(app.Text(Txt::TextKeep)), syncBar_);
  keep->setObjectName("keepText");
  choices->addWidget(write);
  choices->addWidget(keep);
  choices->addStretch(1);
  sync->addLayout(choices);
  syncBar_->hide();
  layout()->addWidget(syncBar_);
  connect(keep, &QPushButton::clicked, this, [this] {
    // The text stays; the next edit reads it whole and the toolpath becomes what it reads as.
    keptAt_ = view_.doc().edits;
    RefreshSyncBar();
  });
  connect(write, &QPushButton::clicked, this, [this] {
    CDocument& doc = view_.doc();
    FilePick pick;
    pick.mode = FilePick::Mode::Save;
    pick.start = doc.text.path;
    pick.title = Q(view_.app().Text(Txt::TextWriteCaption));
    const std::string path = PickFile(this, pick);
    if (path.empty()) return;
    RunTextChange([this, &doc, path] { return TextFromToolpath(view_.app(), doc, path); }, 0, 0);
  });

  // The pane's own keys, while the focus is inside it.
  const auto key = [this](const QKeySequence& k, auto slot) {
    auto* s = new QShortcut(k, this);
    s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(s, &QShortcut::activated, this, slot);
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_G), [this] { AskGoToLine(); });
  key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
    if (!editing()) return;
    findBar_->show();
    find_->setFocus();
    find_->selectAll();
  });

  apply_.setSingleShot(true);
  connect(&apply_, &QTimer::timeout, this, [this] { ApplyPending(); });
  flash_.setSingleShot(true);
  connect(&flash_, &QTimer::timeout, this, [this] {
    if (flashed_ && view_.markedPath == flashed_) {
      view_.markedPath.reset();
      view_.update();
    }
    flashed_.reset();
  });
  connect(text_, &SourceTextView::lineTyped, this, [this] { apply_.start(kApplyPauseMs); });
  connect(text_, &SourceTextView::commitWanted, this, &SourcePane::ApplyPending);
  connect(text_, &SourceTextView::splitWanted, this, &SourcePane::Split);
  connect(text_, &SourceTextView::joinWanted, this, &SourcePane::Join);
  connect(text_, &SourceTextView::deleteLinesWanted, this, &SourcePane::DeleteLines);
  connect(text_, &SourceTextView::pasteWanted, this, &SourcePane::Paste);
}

bool SourcePane::editing() const {
  return text_->editing();
}

bool SourcePane::SetEditing(bool on) {
  if (!on) {
    ApplyPending();
    text_->SetEditing(false);
    findBar_->hide();
    edit_->setChecked(false);
    emit documentChanged();
    return true;
  }
  CDocument& doc = view_.doc();
  const Outcome o = OpenProgramText(view_.app(), doc);
  if (!o.ok()) {
    SetInfo(Q(o.reason()));
    edit_->setChecked(false);
    return false;
  }
  ShowHeldText();
  text_->SetEditing(true);
  findBar_->show();
  edit_->setChecked(true);
  emit documentChanged();
  return true;
}

void SourcePane::ShowHeldText() {
  const EditedText& et = view_.doc().text;
  // A line being typed stays as typed: the frame commits it before any command runs, and the
  // pane after its own changes.
  const bool typing = text_->EditPending();
  text_->ShowHeld(et.text, et.lines, held_);
  if (!held_) {
    held_ = true;
    shown_.reset();
    matches_ = false;
    SetInfo(QFileInfo(Q(et.path)).fileName());
  }
  if (!typing) text_->ReloadEditor();
}

void SourcePane::RefreshSyncBar() {
  const CDocument& doc = view_.doc();
  // Our rule: the bar stands only while the pane holds the program text (it was edited, or
  // editing is on): a toolpath changed by commands alone says nothing of a file not edited.
  std::string notice;
  if (doc.text.open && !(keptAt_ && *keptAt_ == doc.edits))
    notice = TextNoLongerDescribes(view_.app(), doc);
  syncText_->setText(Q(notice));
  syncBar_->setVisible(!notice.empty());
}

void SourcePane::RunTextChange(const std::function<Outcome()>& change,
                               std::optional<std::size_t> line, std::optional<int> column) {
  apply_.stop();
  CDocument& doc = view_.doc();
  Outcome outcome = Outcome::Done();
  view_.RunEdit([&] { outcome = change(); });
  if (!outcome.ok()) {
    if (!outcome.reason().empty()) SetInfo(Q(outcome.reason()));
    text_->ReloadEditor();
    return;
  }
  ShowHeldText();
  if (line)
    text_->SetCurrentLine(std::min(*line, doc.text.lines.Count() - (doc.text.lines.Count() > 0)));
  text_->ReloadEditor(column);
  // The moves the change made, highlighted for a moment in the view; and its lines here.
  const EditedText& et = doc.text;
  // Our rule: a change that made more moves than a glance takes in (a replace over the whole
  // program) is not highlighted: the view would draw them over again on every repaint.
  constexpr std::uint32_t kFlashedMoves = 100000;
  if (et.changedCount > 0 && et.changedCount <= kFlashedMoves) {
    flashed_ = std::make_pair(et.changedFirst, et.changedFirst + et.changedCount);
    view_.markedPath = flashed_;
    flash_.start(kFlashMs);
  }
  view_.Redraw();
  if (text_->editing()) text_->lineEditor()->setFocus();
  RefreshSyncBar();
  emit documentChanged();
}

void SourcePane::ApplyPending() {
  apply_.stop();
  if (!held_ || !text_->EditPending()) return;
  const std::size_t line = text_->editedLine();
  const std::string typed = text_->EditedText();
  RunTextChange(
      [this, line, typed] { return EditTextLine(view_.app(), view_.doc(), line + 1, typed); },
      std::nullopt, std::nullopt);
  text_->FlashLines(line, 1, kFlashMs);
}

namespace {

// Characters in a line's bytes (the line editor's cursor counts characters).
int Chars(std::string_view bytes) {
  return static_cast<int>(
      QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).size());
}

}  // namespace

void SourcePane::ChangeBytes(std::uint64_t begin, std::uint64_t end, const std::string& with,
                             std::size_t line, int column) {
  RunTextChange(
      [&] {
        return ChangeProgramText(view_.app(), view_.doc(), begin, end, with, Txt::CmdEditText);
      },
      line, column);
}

void SourcePane::Split(std::size_t line, std::size_t column) {
  const EditedText& et = view_.doc().text;
  if (line >= et.lines.Count()) return;
  const std::string typed = text_->EditedText();
  column = std::min(column, typed.size());
  const std::uint64_t b = et.lines.Start(line);
  const std::uint64_t e = b + et.lines.Line(et.text, line).size();
  ChangeBytes(b, e, typed.substr(0, column) + LineEndOf(et.text) + typed.substr(column), line + 1,
              0);
  text_->FlashLines(line, 2, kFlashMs);
}

void SourcePane::Join(std::size_t line, bool typedFirst) {
  const EditedText& et = view_.doc().text;
  if (line + 1 >= et.lines.Count()) return;
  const std::string typed = text_->EditedText();
  const std::string first = typedFirst ? typed : std::string(et.lines.Line(et.text, line));
  const std::string second = typedFirst ? std::string(et.lines.Line(et.text, line + 1)) : typed;
  const std::uint64_t b = et.lines.Start(line);
  const std::uint64_t e = et.lines.Start(line + 1) + et.lines.Line(et.text, line + 1).size();
  ChangeBytes(b, e, first + second, line, Chars(first));
  text_->FlashLines(line, 1, kFlashMs);
}

void SourcePane::DeleteLines(std::size_t first, std::size_t last) {
  const std::size_t at = text_->editedLine();
  if (at < first || at > last) ApplyPending();
  RunTextChange([&] { return DeleteTextLines(view_.app(), view_.doc(), first + 1, last + 1); },
                first, 0);
}

void SourcePane::Paste(std::size_t line, std::size_t column, const std::string& text) {
  const EditedText& et = view_.doc().text;
  if (line >= et.lines.Count()) return;
  const std::string end = LineEndOf(et.text);
  // The pasted lines take the text's own line end, whatever the clipboard had.
  std::string pasted;
  std::size_t breaks = 0, lastStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      pasted += end;
      ++breaks;
      lastStart = pasted.size();
    } else {
      pasted += text[i];
    }
  }
  const std::string typed = text_->EditedText();
  column = std::min(column, typed.size());
  const std::uint64_t b = et.lines.Start(line);
  const std::uint64_t e = b + et.lines.Line(et.text, line).size();
  ChangeBytes(b, e, typed.substr(0, column) + pasted + typed.substr(column), line + breaks,
              Chars(std::string_view(pasted).substr(lastStart)));
  text_->FlashLines(line, breaks + 1, kFlashMs);
}

bool SourcePane::Pattern(QRegularExpression& re) {
  const QString text = find_->text();
  if (text.isEmpty()) return false;
  re = QRegularExpression(regex_->isChecked() ? text : QRegularExpression::escape(text));
  if (!re.isValid()) {
    SetInfo(Q(FillText(view_.app().Text(Txt::EditorBadPattern), re.errorString().toStdString())));
    return false;
  }
  return true;
}

bool SourcePane::FindNext() {
  QRegularExpression re;
  if (!held_ || !Pattern(re)) return false;
  ApplyPending();
  const EditedText& et = view_.doc().text;
  const std::size_t count = et.lines.Count();
  if (count == 0) return false;
  const std::size_t start = text_->currentLine().value_or(0);
  QLineEdit* ed = text_->lineEditor();
  // From behind the match under the cursor (or the cursor) on the current line.
  int from =
      text_->editing() ? (ed->hasSelectedText() ? ed->selectionEnd() : ed->cursorPosition()) : 0;
  if (text_->editing() && ed->hasSelectedText() && ed->selectedText().isEmpty()) ++from;
  for (std::size_t k = 0; k <= count; ++k) {
    const std::size_t i = (start + k) % count;
    const std::string_view bytes = et.lines.Line(et.text, i);
    const QString line = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const int at = k == 0 ? from : 0;
    if (at > line.size()) continue;
    const QRegularExpressionMatch m = re.match(line, at);
    if (!m.hasMatch()) continue;
    if (k == count && m.capturedStart() >= from) break;  // back where it began
    text_->SetCurrentLine(i);
    if (text_->editing()) {
      ed->setSelection(static_cast<int>(m.capturedStart()), static_cast<int>(m.capturedLength()));
      if (m.capturedLength() == 0) ed->setCursorPosition(static_cast<int>(m.capturedStart()));
    }
    SetInfo(QString("%1:%2").arg(QFileInfo(Q(et.path)).fileName()).arg(i + 1));
    return true;
  }
  SetInfo(Q(FillText(view_.app().Text(Txt::EditorNotFound), find_->text().toStdString())));
  return false;
}

bool SourcePane::ReplaceOne() {
  QRegularExpression re;
  if (!held_ || !text_->editing() || !Pattern(re)) return false;
  QLineEdit* ed = text_->lineEditor();
  const QString typed = ed->text();
  const int at = ed->hasSelectedText() ? ed->selectionStart() : ed->cursorPosition();
  // Only a match that starts where the selection does is replaced; else the next is found.
  const QRegularExpressionMatch m = re.match(typed, at, QRegularExpression::NormalMatch,
                                             QRegularExpression::AnchorAtOffsetMatchOption);
  if (!m.hasMatch()) return FindNext();
  QString part = m.captured(0);
  QRegularExpression whole(QStringLiteral("\\A(?:") + re.pattern() + QStringLiteral(")\\z"));
  part.replace(whole.isValid() ? whole : re, replace_->text());
  const QString made = typed.left(m.capturedStart()) + part + typed.mid(m.capturedEnd());
  const std::size_t line = text_->editedLine();
  RunTextChange(
      [this, line, made] {
        return EditTextLine(view_.app(), view_.doc(), line + 1, made.toStdString());
      },
      std::nullopt, static_cast<int>(m.capturedStart() + part.size()));
  text_->FlashLines(line, 1, kFlashMs);
  FindNext();
  return true;
}

int SourcePane::ReplaceAll() {
  QRegularExpression re;
  if (!held_ || !Pattern(re)) return 0;
  ApplyPending();
  const EditedText& et = view_.doc().text;
  const QString with = replace_->text();
  std::string made;
  made.reserve(et.text.size());
  int replaced = 0;
  for (std::size_t i = 0; i < et.lines.Count(); ++i) {
    const std::string_view bytes = et.lines.Line(et.text, i);
    QString line = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    int n = 0;
    for (auto it = re.globalMatch(line); it.hasNext(); it.next()) ++n;
    if (n == 0) {
      made.append(bytes);
    } else {
      replaced += n;
      made += line.replace(re, with).toStdString();
    }
    const std::uint64_t lineEnd = et.lines.Start(i) + bytes.size();
    made.append(et.text, lineEnd, et.lines.End(i) - lineEnd);
  }
  if (replaced == 0) {
    SetInfo(Q(FillText(view_.app().Text(Txt::EditorNotFound), find_->text().toStdString())));
    return 0;
  }
  // Only the bytes that differ are changed: the re-read starts at the first of them.
  std::size_t b = 0;
  while (b < made.size() && b < et.text.size() && made[b] == et.text[b]) ++b;
  std::size_t tail = 0;
  while (tail < made.size() - b && tail < et.text.size() - b &&
         made[made.size() - 1 - tail] == et.text[et.text.size() - 1 - tail])
    ++tail;
  const std::size_t firstLine = et.lines.LineOf(b);
  ChangeBytes(b, et.text.size() - tail, made.substr(b, made.size() - tail - b),
              text_->currentLine().value_or(firstLine), 0);
  SetInfo(Q(FillText(view_.app().Text(Txt::EditorReplaced), std::to_string(replaced))));
  return replaced;
}

bool SourcePane::GoToLine(std::size_t line) {
  const std::size_t count = text_->lines().Count();
  if (line < 1 || line > count) return false;
  ApplyPending();
  text_->SetCurrentLine(line - 1);
  LineChosen(line - 1);
  if (text_->editing()) text_->lineEditor()->setFocus();
  return true;
}

void SourcePane::AskGoToLine() {
  const std::size_t count = text_->lines().Count();
  if (count == 0) return;
  CApplication& app = view_.app();
  const std::string current = std::to_string(text_->currentLine().value_or(0) + 1);
  const std::optional<std::string> answer = app.platform.AskValue(
      app.Text(Txt::EditorGoToLine),
      FillText(app.Text(Txt::EditorLinePrompt), std::to_string(count)), current);
  if (!answer || answer->empty()) return;
  const QString typed = Q(*answer).trimmed();
  bool number = false;
  const qulonglong n = typed.toULongLong(&number);
  if (!number || n < 1 || n > count) {
    SetInfo(Q(FillText(app.Text(Txt::EditorLinePrompt), std::to_string(count))));
    return;
  }
  GoToLine(static_cast<std::size_t>(n));
}

void SourcePane::AskRenumber() {
  if (!held_ && !SetEditing(true)) return;
  ApplyPending();
  CApplication& app = view_.app();
  // The dialog opens on the values its last OK used.
  RenumberOptions& remembered = memory_.Get<RenumberOptions>("programRenumber");
  std::int32_t start = static_cast<std::int32_t>(remembered.start);
  std::int32_t step = static_cast<std::int32_t>(remembered.step);
  bool every = remembered.every;
  QDialog d(this);
  d.setObjectName("renumberDialog");
  d.setWindowTitle(Q(app.Text(Txt::EditorRenumber)));
  FieldBinder bind(&d);
  auto* form = new QFormLayout(&d);
  form->addRow(Q(app.Text(Txt::EditorRenumberStart)), bind.Int("start", start, kRenumberStart));
  form->addRow(Q(app.Text(Txt::EditorRenumberStep)), bind.Int("step", step, kRenumberStep));
  form->addRow(bind.Check(Q(app.Text(Txt::EditorRenumberEvery)), "every", every));
  form->addRow(OkCancel(&d));
  if (!bind.Exec(d)) return;
  remembered = RenumberOptions{start, step, every};
  const RenumberOptions o = remembered;
  RunTextChange([this, o] { return RenumberBlocks(view_.app(), view_.doc(), o); }, std::nullopt,
                std::nullopt);
}

void SourcePane::SaveText() {
  CDocument& doc = view_.doc();
  if (!doc.text.open) return;
  ApplyPending();
  const Outcome o = SaveProgramText(view_.app(), doc, doc.text.path);
  if (!o.ok()) SetInfo(Q(o.reason()));
  view_.UpdateTitle();
  emit documentChanged();
}

}  // namespace trevalon
