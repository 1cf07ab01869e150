// "Layer ncdata 저장(&L)": the output path (asked when the work layer never came from a file),
// then the layer dialog with the output file and the list of layers to write; a file that is
// there already is replaced only after a question.

#include "app/output_commands.h"
#include "gui/command_registry.h"
#include "gui/commands/layer_info_dialog.h"
#include "gui/dialog_kit.h"
#include "gui/main_window.h"
#include "gui/nc_files.h"

namespace trevalon {
namespace {

void Output(CommandContext& c) {
  CDocument& doc = c.view->doc();
  const LayerSlot& work = doc.layers[doc.layers.workLayer];
  std::string path = work.fileName;
  bool asked = false;
  if (work.fileName.find("Layer") != std::string::npos) {
    path = AskOutputPath(c.app.settings, c.parent(), {});
    if (path.empty()) return;
    asked = true;
  }
  LayerInfoDialog d(c.parent(), doc.layers, doc.layers.workLayer, &path,
                    NcNameFilters(c.app.settings));
  d.SetVerifyTip(Q(c.app.Msg().Text(Txt::VerifyAfterWriting)));
  if (d.exec() != QDialog::Accepted) return;
  if (ParseLayerList(d.outputLayers, 0, CLayerTable::kSlots - 1).empty()) return;
  // The path offered from the work layer's file name was never confirmed by a save dialog:
  // replacing the program it names needs the user's word as any other output does.
  if (!asked && !d.outputConfirmed && !MayReplace(c.app, d.outputPath)) return;
  NcVerifyResult verified;
  const Outcome o = SaveLayersCommand(c.app, doc, d.outputPath, d.outputLayers,
                                      doc.nc.heidenhainOutChk, d.verify ? &verified : nullptr);
  if (d.verify) ShowVerifyResult(c.app, o, verified, d.outputPath);
  c.view->MarkOperationEnd();
  c.view->Redraw();
  RetitleAfterOutput(*c.view);
}

void SaveLayers(CommandContext& c) {
  Output(c);
  // "Layer update" may have renamed layers, whether the output ran or not.
  c.frame.RefreshLayerList(true);
}

CommandRegistrar registrar{{"saveLayers", Needs::View, SaveLayers}};

}  // namespace
}  // namespace trevalon
