#pragma once
// The master-model commands of a document: create from the toolpath, save, load, delete and
// show. Each shows the system's messages and says what happened.

#include <string>

#include "app/application.h"
#include "platform/outcome.h"

namespace trevalon {

// Creates the mesh from the document's toolpath with the model's dialog values; on success
// switches the display on and redraws. Done when built; Unchanged when the toolpath has
// fewer than 5 points or the tolerance is not above 0; NoMemory when the grid cannot be had
// (message shown, model unchanged); Refused when the toolpath holds no cutting move (the
// model is cleared).
Outcome CreateMasterModel(CApplication& app, CDocument& doc);
// Writes the model to path (taken as given, no extension added). Refused without a model
// (message shown), CannotOpen when the file cannot be created (file error shown).
Outcome SaveMasterModel(CApplication& app, const CDocument& doc, const std::string& path);
// Loads path into the document's model. A file that cannot be opened, or is truncated or
// inconsistent, shows the file error and leaves the model as it was; the reason says why.
// On success the display is switched on.
Outcome LoadMasterModel(CApplication& app, CDocument& doc, const std::string& path);
// Releases the mesh (after the question when `ask`; Cancelled when it is not answered OK);
// switches the display off.
Outcome DeleteMasterModel(CApplication& app, CDocument& doc, bool ask = true);
// Flips the shown flag when a mesh exists (redraws); without a mesh the flag is 0 and the
// result is Unchanged.
Outcome ToggleMasterModelDisplay(CDocument& doc);

}  // namespace trevalon
