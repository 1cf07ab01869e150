#pragma once
// The NC program commands of the desktop: reading programs into a view's document, the NC
// settings dialog, the single and the layer output with their dialogs, and the post-processor
// dialog with its section editors.

#include <QStringList>
#include <string>

#include "app/application.h"

class QWidget;

namespace trevalon {

class ToolpathView;
class CNcOutputDlg;
class CPostProcessorDlg;

// The filters of the NC file dialogs, from the FileExt pattern.
QStringList NcNameFilters(const AppSettings& s);

// A new view's switches from korvo.par.
void InitialiseNcSwitches(ToolpathView& view);
// Load (append false) or append a program; the view is fitted and redrawn. 1 when read.
int ReadNcFile(CApplication& app, ToolpathView& view, const std::string& path, bool append);
// "NCDATA 설정".
void NcSettingsCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// "Ncdata로 저장(&C)": save dialog, options dialog, the program.
void SaveNcDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// The options dialog of the single output alone; true on OK with the options in `dlg`.
bool NcOutputOptionsDialog(CApplication& app, CNcOutputDlg& dlg, QWidget* parent);
// "Layer ncdata 저장(&L)".
void SaveLayersDialogCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// "Post Processor".
void PostProcessorCommand(CApplication& app, ToolpathView& view, QWidget* parent);
// The dialog "NC DATA 출력" alone; true on OK.
bool PostProcessorDialog(CApplication& app, CPostProcessorDlg& dlg, QWidget* parent);

}  // namespace trevalon
