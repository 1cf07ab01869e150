#pragma once
// The layer and undo commands of a document window, shared by the desktop and the
// command-line tool.

#include <string>

#include "app/application.h"

namespace trevalon {

// Makes layer j the work layer: the title follows the layer's file name. 1 when switched.
int SwitchLayerCommand(CDocument& doc, int j);
// Copies the toolpaths of layer src behind those of layer dst; asks before mixing tools.
// 1 when the layers were combined, 0 when refused or cancelled.
int CopyLayerCommand(CApplication& app, CDocument& doc, int src, int dst);
// Ticks (on) or clears the echo flag of the listed layers ("3 7-12 20").
void EchoLayersCommand(CDocument& doc, bool on, const std::string& list);
int UndoCommand(CApplication& app, CDocument& doc);
int RedoCommand(CApplication& app, CDocument& doc);
int ClearCommand(CApplication& app, CDocument& doc);

}  // namespace trevalon
