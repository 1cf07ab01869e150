#include "app/feed_chart_commands.h"

#include <cmath>
#include <memory>
#include <new>

#include "app/simulation_commands.h"
#include "ncio/fanuc_reader.h"
#include "ncio/nc_text_check.h"

namespace trevalon {

namespace {

Outcome NoMemory() {
  return Outcome::Failed(OutcomeCode::NoMemory, "not enough memory for the feed chart");
}

// The program read into `store` (empty) as a load of the document would read it, with copies
// of the document's switches and of the reader's modal state, so that nothing of the document
// or of later reads changes.
Outcome ReadComparison(CApplication& app, const CDocument& doc, const std::string& path,
                       CPointStore& store) {
  if (CheckNcText(path) == NcTextCheck::NotText)
    return Outcome::Failed(OutcomeCode::Refused,
                           "'" + path + "' is not an NC program (binary data near its start)");
  LayerSlot layer;
  NcSwitches nc = doc.nc;
  NcReaderState state = doc.ncReader;
  state.language = app.language;
  NcReadOutcome o = NcReadOutcome::Read;
  (void)AppendNcProgram(NcReadTarget{store, layer, nc, state}, path, &o);
  switch (o) {
    case NcReadOutcome::CannotOpen:
      return Outcome::CannotOpen(path);
    case NcReadOutcome::NotText:
      return Outcome::Failed(OutcomeCode::Refused, "'" + path + "' is not an NC program");
    case NcReadOutcome::Stopped:
      // Our rule: a comparison with part of a program would chart unlike toolpaths side by
      // side; a program whose run stops is refused here (a load keeps its part).
      return Outcome::Failed(OutcomeCode::Refused, "extended reading of '" + path +
                                                       "' stopped: " + state.lastReport.stopReason);
    case NcReadOutcome::StoreFull:
      return Outcome::Failed(OutcomeCode::NoMemory,
                             "'" + path + "' does not fit in a point store of its own");
    default:
      return Outcome::Done();
  }
}

}  // namespace

double FeedChartSlopeRadius(CApplication& app) {
  // The engine's rule (CFeedEngine): a safety distance that is no number counts as 0, and the
  // search never looks closer than 1.
  double safety = app.FeedControl().Current().conditions.SafetyDistance;
  if (!(safety == safety)) safety = 0;
  return safety < 1.0 ? 1.0 : safety;
}

Outcome CollectFeedChartSeries(CApplication& app, CDocument& doc, const std::string& beforeFile,
                               FeedChartSeries& out) {
  out.hasBefore = false;
  out.before.moves.clear();
  const MasterGrid grid = doc.master.Grid();
  const bool slopes = doc.master.Exists();
  if (!BuildFeedProfile(doc.store, out.after, slopes ? &grid : nullptr,
                        slopes ? FeedChartSlopeRadius(app) : 0.0))
    return NoMemory();

  std::unique_ptr<CPointStore> scratch(new (std::nothrow) CPointStore);
  if (!scratch) return NoMemory();
  if (!beforeFile.empty()) {
    if (Outcome read = ReadComparison(app, doc, beforeFile, *scratch); !read) return read;
  } else if (doc.beforeOptimizerLayer == doc.layers.workLayer) {
    // The snapshot's pages are shared, not copied: the scratch store only reads them.
    scratch->Restore(doc.beforeOptimizer);
  } else {
    return Outcome::Done();
  }
  if (!BuildFeedProfile(*scratch, out.before)) return NoMemory();
  out.hasBefore = true;
  return Outcome::Done();
}

Outcome AddSimulatedRemovalRates(CApplication& app, CDocument& doc, FeedProfile& profile) {
  HeightField field;
  SimulationResult result;
  Outcome ran = RunSimulation(doc.store, DocumentSimulationOptions(app, doc), field, result);
  if (!ran) return ran;
  field = HeightField();
  return AddRemovalRatesOf(result, profile);
}

Outcome AddRemovalRatesOf(const SimulationResult& result, FeedProfile& profile) {
  std::vector<std::uint32_t> records;
  std::vector<float> volumes, lengths;
  try {
    records.reserve(result.moves.size());
    volumes.reserve(result.moves.size());
    lengths.reserve(result.moves.size());
  } catch (const std::bad_alloc&) {
    return NoMemory();
  }
  for (const SimulatedMove& m : result.moves) {
    records.push_back(m.record);
    volumes.push_back(m.volume);
    lengths.push_back(m.length);
  }
  if (!AddRemovalRates(profile, records, volumes, lengths)) return NoMemory();
  return Outcome::Done();
}

Outcome WriteFeedChartCommand(CApplication& app, CDocument& doc, const std::string& path,
                              const std::string& beforeFile, const FeedChartOptions& options) {
  if (ChartFormatOfPath(path) == ChartFormat::None)
    return Outcome::Failed(OutcomeCode::Refused,
                           "'" + path + "' is neither a .png nor a .svg file name");
  FeedChartSeries series;
  if (Outcome collected = CollectFeedChartSeries(app, doc, beforeFile, series); !collected)
    return collected;
  if (options.removalRate) {
    if (Outcome rated = AddSimulatedRemovalRates(app, doc, series.after); !rated) return rated;
  }
  Outcome made = app.MakeFolderFor(path);
  if (!made) return made;
  FeedChart chart;
  try {
    chart = LayOutFeedChart(series.after, series.hasBefore ? &series.before : nullptr, options);
  } catch (const std::bad_alloc&) {
    return NoMemory();
  }
  return WriteChartFile(chart.picture, path);
}

}  // namespace trevalon
