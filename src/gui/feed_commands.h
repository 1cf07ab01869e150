#pragma once
// The feed optimiser's commands on the desktop: "Feed Optimizer" (the transfer dialog, then
// the run with its progress in the help pane and Escape to stop the analysis), "자동 피드
// 조정" on channel 1, and the master model's create, delete, save, load and show commands.

#include <string>

#include "app/application.h"

class QWidget;

namespace trevalon {

class ToolpathView;

// "Feed Optimizer": channel 1 becomes current, the transfer dialog opens on it; after OK the
// run rewrites the toolpath (undoable) and the view is redrawn. 1 when the toolpath was
// rewritten; 0 after Cancel or a failed run.
int FeedOptimizerDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// "자동 피드 조정" on channel 1's conditions; OK copies the dialog's group back. 1 after OK.
int AutoFeedCommand(CApplication& app, QWidget* parent);

// "생성": the creation values, then the mesh from the toolpath (the toolpath is emptied and
// the mesh shown). Returns what CreateMasterModel returns, 0 after Cancel.
int MasterCreateCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// "삭제": the question, then the mesh released and its drawing taken away.
int MasterDeleteCommand(CApplication& app, ToolpathView& view);
// "저장" and "불러오기": the file dialog with the .mma filter unless `path` is given.
int MasterSaveCommand(CApplication& app, ToolpathView& view, QWidget* parent,
                      const std::string& path = {});
int MasterLoadCommand(CApplication& app, ToolpathView& view, QWidget* parent,
                      const std::string& path = {});
// "마스타 모델 보기": flips the drawing of an existing mesh.
int MasterShowCommand(ToolpathView& view);

}  // namespace trevalon
