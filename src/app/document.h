#pragma once
// CDocument: the toolpaths of one job and everything its view owns: the point store with the
// work layer, the other layers, and the view state.

#include <functional>
#include <string>

#include "feed/master_model.h"
#include "model/layer_table.h"
#include "model/point_store.h"
#include "ncio/nc_settings.h"
#include "view/layer_colours.h"
#include "view/view_state.h"

namespace trevalon {

class CDocument {
 public:
  CDocument() = default;
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  // Asks the desktop to repaint the view (nothing happens headless).
  void Redraw() {
    if (onRedraw) onRedraw();
  }

  CPointStore store;
  CLayerTable layers;
  ViewState view;
  NcSwitches nc;  // how this document reads and writes NC programs (from korvo.par)
  // The Z of the retracts, traverses and plunges that editing creates: the highest rapid Z
  // of the last program read, 100.0 until a program has set it.
  double retractHeight = 100.0;
  // The document's maximum (cutting) feed: the highest cutting feed of the last program
  // loaded, 300 until a program has set it.
  std::int32_t maxFeed = 300;
  LayerColourTable colours;  // from color.par when the view is made
  MasterModel master;        // the stock mesh the feed optimiser consults
  std::string title;         // the window's title: the work layer's file name
  std::function<void()> onRedraw;
};

}  // namespace trevalon
