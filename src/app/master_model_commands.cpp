#include "app/master_model_commands.h"

#include "model/statistics.h"
#include "platform/file_io.h"

namespace trevalon {

Outcome CreateMasterModel(CApplication& app, CDocument& doc) {
  bool memoryFailed = false;
  const SourceLines lines = doc.CurrentSourceLines();
  const int r = doc.master.Create(doc.store, doc.undo, &memoryFailed);
  if (r == 1) {
    // The toolpath that served for the mesh left the document; its undo state keeps its lines.
    doc.undo.TagNewest(lines);
    doc.sourceLines.Set(lines.WithoutRecords(), doc.edits);
  }
  if (memoryFailed) app.Notify(Txt::CannotAllocateMemory, Txt::Message);
  if (r == 0) {
    if (memoryFailed)
      return Outcome::Failed(OutcomeCode::NoMemory,
                             "no memory for the mesh; the model is unchanged");
    return Outcome::Unchanged(doc.store.count < 5 ? "the toolpath has fewer than 5 points"
                                                  : "the tolerance is not above 0");
  }
  ComputeStatistics(doc.store);
  if (r == 1 && !doc.master.shown) doc.master.shown = 1;
  doc.Redraw();
  if (r == -1)
    return Outcome::Failed(OutcomeCode::Refused,
                           "the toolpath has no cutting move; the model is cleared");
  return Outcome::Done();
}

Outcome SaveMasterModel(CApplication& app, const CDocument& doc, const std::string& path) {
  // Without a mesh there is nothing a later load could use: say so instead of writing.
  if (!doc.master.Exists()) {
    app.Notify(Txt::NotExistMasterModel, Txt::OptimizerMessage);
    return Outcome::Failed(OutcomeCode::Refused, "nothing written");
  }
  if (Outcome made = app.MakeFolderFor(path); !made) return made;
  std::string why;
  if (!WriteFileReplacing(path, doc.master.FileBytes(), &why)) {
    app.ShowCannotOpen();
    return Outcome::Failed(OutcomeCode::CannotOpen,
                           why.empty() ? "nothing written" : "nothing written: " + why);
  }
  return Outcome::Done();
}

Outcome LoadMasterModel(CApplication& app, CDocument& doc, const std::string& path) {
  auto refuse = [&](OutcomeCode code, const std::string& why) {
    app.ShowCannotOpen();
    return Outcome::Failed(code, "'" + path + "' refused: " + why);
  };
  // A refused file leaves the model that the document had: the old cells are replaced only
  // by a complete new mesh.
  FileReadError error = FileReadError::None;
  std::string why;
  if (!doc.master.ReadFile(path, error, &why)) {
    if (error == FileReadError::Folder) {
      app.Msg().ShowReadError(error, path);
      return Outcome::Failed(OutcomeCode::Refused, why);
    }
    const bool unreadable = error != FileReadError::None;
    if (unreadable)
      why = error == FileReadError::ReadFailed ? "the file cannot be read"
                                               : "the file cannot be opened";
    return refuse(unreadable ? OutcomeCode::CannotOpen : OutcomeCode::Refused, why);
  }
  if (!doc.master.shown) doc.master.shown = 1;
  doc.Redraw();
  return Outcome::Done();
}

Outcome DeleteMasterModel(CApplication& app, CDocument& doc, bool ask) {
  if (ask && app.Ask(Txt::DeleteMasterModel, Txt::OptimizerMessageSpaced) != Answer::Ok)
    return Outcome::Cancelled();
  const bool wasShown = doc.master.shown != 0;
  doc.master.Release();
  if (wasShown) doc.Redraw();
  return Outcome::Done();
}

Outcome ToggleMasterModelDisplay(CDocument& doc) {
  if (!doc.master.Exists()) {
    doc.master.shown = 0;
    return Outcome::Unchanged("no master model");
  }
  doc.master.shown = !doc.master.shown;
  doc.Redraw();
  return Outcome::Done();
}

}  // namespace trevalon
