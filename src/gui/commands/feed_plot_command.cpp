// "Feed 그래프": opens the feed chart window (made the first time, docked under the documents)
// and brings it to the front.

#include "gui/command_registry.h"
#include "gui/feed_plot_dock.h"
#include "gui/main_window.h"

namespace trevalon {
namespace {

void ShowFeedPlot(CommandContext& c) {
  auto* dock = c.frame.findChild<FeedPlotDock*>("feedPlotDock");
  if (!dock) {
    dock = new FeedPlotDock(c.frame);
    c.frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
  }
  dock->show();
  dock->raise();
  dock->Refresh();
}

CommandRegistrar registrar{
    {"feedPlot", Needs::Nothing, ShowFeedPlot},
};

}  // namespace
}  // namespace trevalon
