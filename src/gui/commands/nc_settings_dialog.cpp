// "NCDATA 설정": the dialog "설정" with the NC switches. OK takes them into the document;
// "저장" takes them and writes korvo.par as well.

#include <QCheckBox>
#include <QVBoxLayout>

#include "app/load_commands.h"
#include "gui/command_registry.h"
#include "gui/toolpath_view.h"

namespace trevalon {
namespace {

void NcSettings(CommandContext& c) {
  CDocument& doc = c.view->doc();
  NcSwitches chosen = doc.nc;
  QDialog d(c.parent());
  d.setWindowTitle(L("설정"));
  FieldBinder f(&d);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(f.Check(L("Heidenhain 입력"), "HeidenhainInputChk", chosen.heidenhainInputChk));
  layout->addWidget(f.Check(L("Heidenhain 출력"), "HeidenhainOutChk", chosen.heidenhainOutChk));
  layout->addWidget(f.Check(L("정수 NCDATA 입력"), "IntNcdataFlg", chosen.intNcdataFlg));
  layout->addWidget(
      f.Check(L("ARC(G2, G3) -> LINEAR(G01)"), "ArcToCutInputChk", chosen.arcToCutInputChk));
  QCheckBox* extended = f.Check(L("확장 읽기"), "ExtendedReadingChk", chosen.extendedReadingChk);
  extended->setStatusTip(Q(c.app.Text(Txt::TipExtendedReading)));
  extended->setToolTip(extended->statusTip());
  layout->addWidget(extended);
  auto* buttons = new QDialogButtonBox(&d);
  auto* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  auto* save = buttons->addButton(L("저장"), QDialogButtonBox::AcceptRole);
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  ok->setObjectName("ok");
  save->setObjectName("save");
  cancel->setObjectName("cancel");
  bool saving = false;
  QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
  QObject::connect(save, &QPushButton::clicked, &d, [&] {
    saving = true;
    d.accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
  layout->addWidget(buttons);
  if (!f.Exec(d)) return;
  NcSettingsCommand(c.app, doc, chosen, saving);
}

CommandRegistrar registrar{{"ncSettings", Needs::View, NcSettings}};

}  // namespace
}  // namespace trevalon
