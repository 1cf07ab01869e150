#pragma once
// CDocument: the toolpaths of one job and everything its view owns: the point store with the
// work layer, the other layers, and the view state.

#include <functional>
#include <string>

#include "model/layer_table.h"
#include "model/point_store.h"
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
  std::string title;  // the window's title: the work layer's file name
  std::function<void()> onRedraw;
};

}  // namespace trevalon
