#include "gui/feed_commands.h"

#include <QFileDialog>

#include "app/feed_commands.h"
#include "app/master_model_commands.h"
#include "feed/feed_control.h"
#include "gui/feed_dialogs.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

const char* kMasterFilter = " LMX MASTER FILE (*.mma)";

}  // namespace

int FeedOptimizerDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  CFeedControl& fc = app.FeedControl();
  fc.currentChannel = 1;
  fc.OpenTransferDialog();
  ChannelSettings& channel = fc.Current();
  TransferDialog d(parent, app, channel);
  const bool ok = d.exec() == QDialog::Accepted;
  d.WriteBack(channel, ok);
  if (!ok) return 0;
  // The run polls Escape between its windows of moves (the status line shows the busy bar and
  // the progress meanwhile) and ends with the summary in the help pane.
  const int done = RunFeedOptimizer(app, view.doc()).ok();
  view.Redraw();
  view.MarkOperationEnd();
  emit view.statusChanged();
  return done;
}

int AutoFeedCommand(CApplication& app, QWidget* parent) {
  ChannelSettings& channel = app.FeedControl().channels[1];
  AutoFeedDialog d(parent, app, channel.conditions, channel.conditionDirectory);
  if (d.exec() != QDialog::Accepted) return 0;
  channel.conditions = d.conditions;
  return 1;
}

int MasterCreateCommand(CApplication& app, ToolpathView& view, QWidget* parent) {
  MasterModel& m = view.doc().master;
  double tool = m.toolDiameter, allowance = m.allowance, tolerance = m.tolerance;
  if (!MasterModelDialog(parent, tool, allowance, tolerance)) return 0;
  m.toolDiameter = tool;
  m.allowance = allowance;
  m.tolerance = tolerance;
  const Outcome created = CreateMasterModel(app, view.doc());
  const int r = created.ok() ? 1 : created.code() == OutcomeCode::Refused ? -1 : 0;
  view.Redraw();
  view.MarkOperationEnd();
  emit view.statusChanged();
  return r;
}

int MasterDeleteCommand(CApplication& app, ToolpathView& view) {
  const int r = DeleteMasterModel(app, view.doc()).ok();
  view.Redraw();
  return r;
}

int MasterSaveCommand(CApplication& app, ToolpathView& view, QWidget* parent,
                      const std::string& given) {
  std::string path = given;
  if (path.empty()) {
    // The path is taken as chosen: no extension is added.
    QFileDialog d(parent);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilter(kMasterFilter);
    d.setDirectory(QString::fromStdString(app.settings.workDir));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return 0;
    path = d.selectedFiles().front().toStdString();
  }
  return SaveMasterModel(app, view.doc(), path).ok();
}

int MasterLoadCommand(CApplication& app, ToolpathView& view, QWidget* parent,
                      const std::string& given) {
  std::string path = given;
  if (path.empty()) {
    QFileDialog d(parent);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilter(kMasterFilter);
    d.setDirectory(QString::fromStdString(app.settings.workDir));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return 0;
    path = d.selectedFiles().front().toStdString();
  }
  const int r = LoadMasterModel(app, view.doc(), path).ok();
  view.Redraw();
  return r;
}

int MasterShowCommand(ToolpathView& view) {
  const int r = ToggleMasterModelDisplay(view.doc()).ok();
  view.Redraw();
  return r;
}

}  // namespace trevalon
