// The master model's menu: "생성" with the dialog "Master Model" (the creation values stay
// with the document), "삭제" after its question, "저장" and "불러오기" with the .mma filter,
// and "마스타 모델 보기", which flips the drawing of an existing mesh.

#include "app/master_model_commands.h"

#include <QFormLayout>
#include <QLineEdit>

#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

const char* kMasterFilter = " LMX MASTER FILE (*.mma)";

void Create(CommandContext& c) {
  MasterModel& m = c.view->doc().master;
  QDialog d(c.parent());
  d.setWindowTitle(L("Master Model"));
  FieldBinder f(&d);
  auto* form = new QFormLayout(&d);
  form->addRow(L("공구 직경"),
               f.Real("toolDiameter", m.toolDiameter, MasterModel::kToolDiameterRange));
  form->addRow(L("가공 여유"), f.Real("allowance", m.allowance, MasterModel::kAllowanceRange));
  form->addRow(L("마스터 모델 공차"),
               f.Real("tolerance", m.tolerance, MasterModel::kToleranceRange));
  form->addRow(OkCancel(&d));
  if (!f.Exec(d)) return;
  // The core shows the mesh and asks for the redraw.
  (void)CreateMasterModel(c.app, c.view->doc());
  c.view->MarkOperationEnd();
  emit c.view->statusChanged();
}

std::string MasterFile(CommandContext& c, FilePick::Mode mode) {
  FilePick pick;
  pick.mode = mode;
  pick.filters = {kMasterFilter};
  pick.directory = c.app.settings.workDir;
  // The path is taken as chosen: no extension is added.
  return PickFile(c.parent(), pick);
}

void Save(CommandContext& c) {
  const std::string path = MasterFile(c, FilePick::Mode::Save);
  if (!path.empty()) (void)SaveMasterModel(c.app, c.view->doc(), path);
}

void Load(CommandContext& c) {
  const std::string path = MasterFile(c, FilePick::Mode::Open);
  if (!path.empty()) (void)LoadMasterModel(c.app, c.view->doc(), path);
}

CommandRegistrar registrar{
    {"masterCreate", Needs::View, Create},
    {"masterDelete", Needs::View,
     [](CommandContext& c) { (void)DeleteMasterModel(c.app, c.view->doc()); }},
    {"masterSave", Needs::View, Save},
    {"masterLoad", Needs::View, Load},
    {"showMaster", Needs::View,
     [](CommandContext& c) { (void)ToggleMasterModelDisplay(c.view->doc()); },
     [](CommandContext& c) { return c.view->doc().master.shown != 0; }},
};

}  // namespace
}  // namespace trevalon
