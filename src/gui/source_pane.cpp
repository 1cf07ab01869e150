#include "gui/source_pane.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "app/source_commands.h"
#include "gui/dialog_kit.h"
#include "gui/source_text_view.h"
#include "gui/toolpath_view.h"

namespace trevalon {

namespace {

bool SameFile(const SourceFile& a, const SourceFile& b) {
  return a.path == b.path && a.size == b.size && a.modified == b.modified;
}

}  // namespace

SourcePane::SourcePane(ToolpathView& view, QWidget* parent)
    : QWidget(parent), view_(view), text_(new SourceTextView(this)), info_(new QLabel(this)) {
  setObjectName("sourcePane");
  text_->setObjectName("sourceText");
  info_->setObjectName("sourceInfo");
  info_->setTextFormat(Qt::PlainText);
  info_->setMinimumWidth(1);  // a long path does not widen the dock
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(info_);
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
  if (!shown_ || !matches_) return;
  CDocument& doc = view_.doc();
  const SourceLines lines = doc.CurrentSourceLines();
  std::optional<std::uint32_t> record;
  const std::vector<SourceFile>& files = lines.Files();
  for (std::size_t f = 0; f < files.size() && !record; ++f) {
    if (!SameFile(files[f], *shown_)) continue;
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

}  // namespace trevalon
