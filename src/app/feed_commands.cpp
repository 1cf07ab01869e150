#include "app/feed_commands.h"

#include <utility>

#include "app/machine_settings.h"
#include "app/master_model_commands.h"
#include "app/simulation_commands.h"
#include "feed/material_feeds.h"
#include "model/machine_time.h"

namespace trevalon {

Outcome RunFeedOptimizer(CApplication& app, CDocument& doc, FeedRunSummary* summary) {
  CFeedControl& fc = app.FeedControl();
  ChannelSettings& ch = fc.Current();
  if (ch.dialogResult != 1 || ch.enabled != 1) {
    ch.dialogResult = 0;
    return Outcome::Unchanged("channel " + std::to_string(fc.currentChannel) + " is not enabled");
  }
  CuttingConditions& c = ch.conditions;
  if (c.LmxByMaster == 0 && doc.master.Exists()) {
    c.LmxByMaster = 1;
  } else if (c.LmxByMaster == 1) {
    if (!LoadMasterModel(app, doc, ch.masterModelFile)) c.LmxByMaster = 0;
  }
  EditContext ctx = MakeEditContext(app, doc);
  // The toolpath as the run finds it, for the feed chart: its pages are the ones the run's undo
  // snapshot shares as well, so keeping them copies nothing.
  RecordSnapshot toolpathBefore;
  const bool kept = doc.store.Snapshot(toolpathBefore) != 0;
  Outcome o = Outcome::Done();
  if (!summary) {
    o = OptimizeFeeds(ctx, fc, doc.master);
  } else {
    // The machine time before and after for the summary, with the limits in force now.
    const MachineLimits machine = ReadMachineSettings(app);
    const double before = EstimateMachineTime(doc.store, machine).total;
    o = OptimizeFeeds(ctx, fc, doc.master, summary);
    if (o.ok()) {
      summary->machineTimeBefore = before;
      summary->machineTimeAfter = EstimateMachineTime(doc.store, machine).total;
    }
  }
  if (o.ok() && kept) {
    doc.beforeOptimizer = std::move(toolpathBefore);
    doc.beforeOptimizerLayer = doc.layers.workLayer;
  }
  return o;
}

Outcome FeedOptimizerCommand(CApplication& app, CDocument& doc, FeedRunSummary* summary) {
  CFeedControl& fc = app.FeedControl();
  fc.currentChannel = 1;
  fc.OpenTransferDialog();
  fc.Current().dialogResult = 1;  // OK
  return RunFeedOptimizer(app, doc, summary);
}

Outcome MaterialFeedCommand(CApplication& app, CDocument& doc, FeedRunSummary* summary,
                            MaterialFeedCounts* counts) {
  CFeedControl& fc = app.FeedControl();
  fc.currentChannel = 1;
  const CuttingConditions c = fc.Current().conditions;
  const SimulationOptions simulation = DocumentSimulationOptions(app, doc);
  EditContext ctx = MakeEditContext(app, doc);
  RecordSnapshot toolpathBefore;
  const bool kept = doc.store.Snapshot(toolpathBefore) != 0;
  const MachineLimits machine = ReadMachineSettings(app);
  const double before = summary ? EstimateMachineTime(doc.store, machine).total : 0.0;
  Outcome o = MaterialFeeds(ctx, c, simulation, summary, counts);
  if (summary) {
    summary->machineTimeBefore = before;
    summary->machineTimeAfter = o.ok() ? EstimateMachineTime(doc.store, machine).total : before;
  }
  if (o.ok() && kept) {
    doc.beforeOptimizer = std::move(toolpathBefore);
    doc.beforeOptimizerLayer = doc.layers.workLayer;
  }
  return o;
}

}  // namespace trevalon
