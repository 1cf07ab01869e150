#pragma once
// `trevalon --screenshot OUT.png [--size WxH] [--view top|front|side|iso1..iso4]
// [--feed-colours] [--master FILE] [--simulate [--sim-tool KIND,D[,R]]] FILE...`: opens the
// files, renders the view offscreen into a PNG and ends. With --master the master model is
// first built from FILE's toolpath (default creation values) and shown under the files'
// toolpaths. With --simulate the work layer (the first file) is cut out of the automatic stock
// at 0.1 mm and the machined part drawn under the toolpath, the rapids through material red;
// the tool is that of --sim-tool (flat, ball or bull, its diameter and a bull's corner
// radius), else a ball of the cutting conditions' tool diameter.

#include <string>
#include <vector>

#include "app/application.h"
#include "sim/height_field.h"

namespace trevalon {

struct ScreenshotRequest {
  std::string output;
  int width = 1600, height = 1000;
  int direction = 4;  // the first isometric direction, as a new view starts
  bool feedColours = false;
  bool showGrid = false;
  std::vector<std::string> files;
  std::string master;  // the program the master model is built from; empty: none
  bool simulate = false;
  bool simTool = false;  // the tool below was given
  SimTool tool;
};

// Parses the words after the program name. Returns an empty string when they are a
// screenshot request, else the reason they are not; `isScreenshot` tells whether
// --screenshot was given at all.
std::string ParseScreenshotArgs(const std::vector<std::string>& args, ScreenshotRequest& r,
                                bool& isScreenshot);
// The view names of --view: "top" 1 ... "iso4" 7; 0 for an unknown name.
int ViewDirectionByName(const std::string& name);

// Reads the files (the first into layer 0, each further one into the next layer so that all
// are drawn in their layer colours), fits and renders. 0 when the PNG was written.
int TakeScreenshot(CApplication& app, const ScreenshotRequest& r, std::string& error);

}  // namespace trevalon
