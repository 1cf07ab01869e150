#pragma once
// The layer and undo commands of a document window, shared by the desktop and the
// command-line tool.

#include <functional>
#include <optional>
#include <string>

#include "app/application.h"
#include "platform/outcome.h"

namespace trevalon {

// Makes layer j the work layer: the title follows the layer's file name. 1 when switched.
int SwitchLayerCommand(CDocument& doc, int j);
// Copies the toolpaths of layer src behind those of layer dst; asks before mixing tools.
// 1 when the layers were combined, 0 when refused or cancelled.
int CopyLayerCommand(CApplication& app, CDocument& doc, int src, int dst);
// Ticks (on) or clears the echo flag of the listed layers ("3 7-12 20").
void EchoLayersCommand(CDocument& doc, bool on, const std::string& list);
// Undo and redo: 1 when the store changed. Each puts UndoLine / RedoLine, as it stood
// before, on the help line.
int UndoCommand(CApplication& app, CDocument& doc);
int RedoCommand(CApplication& app, CDocument& doc);
// "Undo: trim inside" (the command the next undo takes back) or "Nothing to undo", in the
// user's language; RedoLine the same for redo.
std::string UndoLine(const CApplication& app, const CDocument& doc);
std::string RedoLine(const CApplication& app, const CDocument& doc);
// The help line after a command that recorded an undo step: the step's name, the points
// before and after, and the arcs now ("trim inside: 6239 → 4906 points, 312 arcs"), in the
// user's language. The desktop shows it after every command that changed the toolpath.
std::string EditSummaryLine(const CApplication& app, const CDocument& doc,
                            std::uint32_t pointsBefore);
// Runs one command on doc; when it recorded a new undo step (it changed the toolpath) other
// than a load, puts
// EditSummaryLine on the help line and returns it, else returns "". Both front ends run their
// commands through it, so the desktop's help line and the command-line tool say the same.
std::string RunAndSummarise(CApplication& app, CDocument& doc,
                            const std::function<void()>& command);
// What a command that rightly did nothing says: its reason and "(nothing changed)" ("fewer
// than two paths (nothing changed)"), as the command-line tool prints it behind the verb.
std::string UnchangedLine(const Outcome& outcome);
// Puts UnchangedLine on the help line when the outcome is Unchanged; any other outcome has
// already said its piece (the summary of a change, a message of a failure).
void SayIfUnchanged(const Messages& msg, const Outcome& outcome);
// The name of an undo step in the user's language ("change" for a step without a name).
std::string UndoStepName(const CApplication& app, std::optional<Txt> name);
// Empties the work layer's store after one undo step; 0 (nothing recorded) when it is empty.
int ClearCommand(CApplication& app, CDocument& doc);

}  // namespace trevalon
