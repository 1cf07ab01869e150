#pragma once
// The output commands of a document: "Ncdata로 저장", "Layer ncdata 저장" and "Post Processor",
// after their dialogs have been answered with OK.

#include <string>
#include <string_view>

#include "app/application.h"
#include "ncio/nc_verify.h"
#include "ncio/nc_writer.h"
#include "ncio/post_conversion.h"
#include "platform/outcome.h"

namespace trevalon {

// Starts the external editor on a file; when neither the editor nor the desktop's default
// program can be started, the help pane says so. False in that case.
bool OpenInEditor(CApplication& app, const std::string& path);

// Verify after writing: every output command takes an optional result. When it is given, the
// program is read back once it is on disk and compared with what it was written from
// (nc_verify.h); a difference keeps the file for inspection, fills the result and makes the
// outcome Refused with the count and the first difference. An output stopped at the diagonal
// rapid question is compared up to where it stopped.

// "Ncdata로 저장": the layer's file path and the title become the output path,
// HeidenhainOutChk follows the dialect, the program is written and the editor started when
// asked. Done when the program was written (completely, or up to where the user stopped);
// CannotOpen when the file could not be created (message shown). A complete program leaves
// the work layer counted as written.
Outcome SaveNcCommand(CApplication& app, CDocument& doc, CNcOutputDlg& dlg, int& heidenhainOutChk,
                      NcVerifyResult* verified = nullptr);

// "Layer ncdata 저장": writes the layers listed as in "출력 layer" ("1 3-5 2") into one file.
// Unchanged when no layer of the document is named, CannotOpen when the file cannot be
// created (message shown). The layers of a complete program count as written.
Outcome SaveLayersCommand(CApplication& app, CDocument& doc, const std::string& path,
                          std::string_view layerList, int& heidenhainOutChk,
                          NcVerifyResult* verified = nullptr);

// The shipped post-processor templates (ncio/shipped_templates.h) written into PostDir where
// they are missing; the help line names those written. Called before the template folder is
// used (the dialog, the post verb); a folder that cannot be written is no failure here: the
// template then is missing, and the command says so.
void InstallPostTemplates(CApplication& app);
// The template file a name stands for: the name as given when that file exists (also with
// ".ppr" added), else, for a bare name without a folder, the file of that name in PostDir
// ("fanuc-haas" for PostDir/fanuc-haas.ppr).
std::string ResolveTemplatePath(const CApplication& app, const std::string& name);

// "Post Processor": the layer's file path and the title become the output path, the file is
// created and the program written. CannotOpen when the file could not be created (message
// shown). The work layer then counts as written.
Outcome PostProcessCommand(CApplication& app, CDocument& doc, CPostProcessorDlg& dlg,
                           NcVerifyResult* verified = nullptr);

}  // namespace trevalon
