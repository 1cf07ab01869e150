#include "gui/screenshot.h"

#include <QImage>
#include <QPainter>

#include "app/layer_commands.h"
#include "app/load_commands.h"
#include "app/master_model_commands.h"
#include "app/simulation_commands.h"
#include "gui/machined_part.h"
#include "gui/toolpath_renderer.h"

namespace trevalon {

int ViewDirectionByName(const std::string& name) {
  static const char* names[] = {"top", "front", "side", "iso1", "iso2", "iso3", "iso4"};
  for (int i = 0; i < 7; ++i)
    if (name == names[i]) return i + 1;
  return 0;
}

namespace {
// "ball,6", "flat,10" or "bull,10,2".
bool ParseToolWords(const std::string& words, SimTool& t) {
  const std::size_t comma = words.find(',');
  if (comma == std::string::npos || !ParseSimToolKind(words.substr(0, comma), t.kind)) return false;
  double d = 0, r = 0;
  char extra = 0;
  const int n = std::sscanf(words.c_str() + comma + 1, "%lf,%lf%c", &d, &r, &extra);
  if (n < 1 || n > 2 || (n == 2) != (t.kind == SimToolKind::Bull)) return false;
  t.diameter = d;
  t.cornerRadius = n == 2 ? r : 0.0;
  return t.Problem().empty();
}
}  // namespace

std::string ParseScreenshotArgs(const std::vector<std::string>& args, ScreenshotRequest& r,
                                bool& isScreenshot) {
  isScreenshot = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--screenshot") {
      isScreenshot = true;
      if (!value(r.output)) return "--screenshot needs the name of the PNG file";
    } else if (a == "--size") {
      int w = 0, h = 0;
      char x = 0;
      if (!value(v) || std::sscanf(v.c_str(), "%d%c%d", &w, &x, &h) != 3 || x != 'x' || w < 16 ||
          h < 16 || w > 16384 || h > 16384)
        return "--size takes WxH, for example 1600x1000";
      r.width = w, r.height = h;
    } else if (a == "--view") {
      if (!value(v) || (r.direction = ViewDirectionByName(v)) == 0)
        return "--view takes top, front, side, iso1, iso2, iso3 or iso4";
    } else if (a == "--feed-colours") {
      r.feedColours = true;
    } else if (a == "--master") {
      if (!value(r.master)) return "--master needs the NC program to build the master model from";
    } else if (a == "--simulate") {
      r.simulate = true;
    } else if (a == "--sim-tool") {
      if (!value(v) || !ParseToolWords(v, r.tool))
        return "--sim-tool takes KIND,D[,R]: flat, ball or bull, the diameter and a bull's "
               "corner radius, for example ball,6";
      r.simTool = true;
    } else if (a == "--grid") {
      r.showGrid = true;
    } else if (a == "--sysdir" || a == "--lang") {
      ++i;  // start-up options, taken before
    } else if (!a.empty() && a[0] == '-') {
      if (isScreenshot) return "unknown option " + a;
    } else {
      r.files.push_back(a);
    }
  }
  return {};
}

int TakeScreenshot(CApplication& app, const ScreenshotRequest& r, std::string& error) {
  CDocument& doc = app.NewDocument();
  InitDocument(app, doc);
  ReadLayerColours(app.settings.configDir, doc.colours);
  doc.view.width = r.width;
  doc.view.height = r.height;
  doc.view.SetDirection(r.direction);
  if (!r.master.empty()) {
    // The mesh takes the place of the program it was built from, which leaves the store.
    if (!LoadNcCommand(app, doc, r.master)) {
      error = "cannot read " + r.master;
      app.CloseDocument(&doc);
      return 1;
    }
    doc.view.Fit(doc.store, &doc.layers);
    if (!CreateMasterModel(app, doc)) {
      error = "cannot build a master model from " + r.master;
      app.CloseDocument(&doc);
      return 1;
    }
  }
  int layer = 0;
  for (const std::string& f : r.files) {
    if (layer >= CLayerTable::kUserLayers) break;
    if (layer > 0) SwitchLayerCommand(doc, layer);
    if (!LoadNcCommand(app, doc, f)) {
      error = "cannot read " + f;
      app.CloseDocument(&doc);
      return 1;
    }
    ++layer;
  }
  if (layer > 1) SwitchLayerCommand(doc, 0);
  if (!r.files.empty()) doc.view.Fit(doc.store, &doc.layers);
  MachinedPart part;
  if (r.simulate) {
    SimulationOptions o = DocumentSimulationOptions(app, doc);
    if (r.simTool) o.tool = r.tool;
    if (Outcome ran = RunMachinedPart(doc, o, part); !ran) {
      error = "cannot simulate: " + ran.reason();
      app.CloseDocument(&doc);
      return 1;
    }
  }
  // A little room round the picture so that nothing touches the image's edge.
  doc.view.scale *= 0.94;
  QImage image(r.width, r.height, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&image);
    ToolpathRenderer renderer;
    if (r.simulate) renderer.machinedPart = &part;
    RenderOptions options;
    options.colourByLayer = !r.feedColours;
    options.showGrid = r.showGrid;
    renderer.Render(painter, doc, options);
  }
  app.CloseDocument(&doc);
  if (!image.save(QString::fromStdString(r.output), "PNG")) {
    error = "cannot write " + r.output;
    return 1;
  }
  return 0;
}

}  // namespace trevalon
