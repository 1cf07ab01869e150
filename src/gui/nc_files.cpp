#include "gui/nc_files.h"

#include <QCheckBox>
#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "gui/dialog_kit.h"
#include "gui/toolpath_view.h"
#include "ncio/nc_verify.h"
#include "platform/outcome.h"

namespace trevalon {

QStringList NcNameFilters(const AppSettings& s) {
  // "NCDATA FILE (%s)|%s|All Files (*.*)|*.*||" with the pattern twice, in the form the Qt
  // file dialog takes: the pattern's ';' become blanks.
  QString pattern = Q(s.fileExt);
  pattern.replace(';', ' ');
  return {QString("NCDATA FILE (%1)").arg(pattern), "All Files (*.*)"};
}

std::string AskOutputPath(const AppSettings& s, QWidget* parent, const std::string& initial) {
  FilePick pick;
  pick.mode = FilePick::Mode::Save;
  pick.filters = NcNameFilters(s);
  pick.start = initial;
  pick.directory = s.workDir;
  return PickFile(parent, pick);
}

bool MayReplace(CApplication& app, const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  const std::string text = FillText(app.Text(Txt::ReplaceFile), path);
  return app.platform.ShowMessage(text, app.Text(Txt::KorvoMessage), MessageIcon::Question,
                                  MessageButtons::OkCancel) == Answer::Ok;
}

std::string AskNcProgram(const AppSettings& s, QWidget* parent, std::string& remembered,
                         bool readOnly) {
  FilePick pick;
  pick.readOnly = readOnly;
  pick.filters = NcNameFilters(s);
  pick.start = remembered;
  pick.directory = s.workDir;
  std::string path = PickFile(parent, pick);
  if (!path.empty()) remembered = path;
  return path;
}

QString CommentForEditing(const std::string& comment) {
  QString c = Q(comment);
  c.replace("\r\n", "\n");
  if (c.endsWith('\n')) c.chop(1);
  return c;
}

std::string CommentFromEditing(const QString& text) {
  std::string out;
  for (const QString& line : text.split('\n')) {
    if (line.isEmpty()) continue;
    out += line.toStdString() + "\r\n";
  }
  return out;
}

void RetitleAfterOutput(ToolpathView& view) {
  view.UpdateTitle();
  if (auto* sub = view.parentWidget()) sub->setWindowTitle(view.windowTitle());
}

QCheckBox* VerifyAfterWritingBox(CApplication& app, FieldBinder& f, bool& verify) {
  QCheckBox* box = f.Check(L("쓰기 후 검증"), "verifyAfterWriting", verify);
  const QString tip = Q(app.Msg().Text(Txt::VerifyAfterWriting));
  box->setToolTip(tip);
  box->setStatusTip(tip);
  return box;
}

void ShowVerifyResult(CApplication& app, const Outcome& outcome, const NcVerifyResult& r,
                      const std::string& path) {
  // Only a written file was read back: Done, or Refused by the comparison.
  if (!outcome.ok() && outcome.code() != OutcomeCode::Refused) return;
  const Messages& msg = app.Msg();
  if (!r.ok()) {
    msg.platform().ShowMessage(DescribeVerifyFailure(r, path, msg.language()),
                               msg.Text(Txt::KorvoMessage), MessageIcon::Warning,
                               MessageButtons::Ok);
    return;
  }
  char line[256];
  std::snprintf(line, sizeof line, msg.Text(Txt::VerifyPassed),
                static_cast<unsigned long long>(r.movesCompared));
  std::string text = line;
  if (r.partial) text += msg.Text(Txt::VerifyPartial);
  msg.Help(text);
}

}  // namespace trevalon
