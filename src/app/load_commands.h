#pragma once
// The NC program commands of a document window, shared by the desktop and the command-line
// tool: creating a document's reader settings, loading and appending a program, and the NC
// settings dialog's OK and save.

#include <string>

#include "app/application.h"
#include "ncio/fanuc_reader.h"
#include "platform/outcome.h"

namespace trevalon {

// What a read of this document works on.
NcReadTarget ReadTargetOf(CApplication& app, CDocument& doc);

// A new document's reader settings: its switches from korvo.par in ConfigDir (the defaults
// when the file is missing). Call once when the document is created.
void InitDocument(CApplication& app, CDocument& doc);
void ReadNcSettings(CApplication& app, CDocument& doc);
// Writes the document's switches to korvo.par, making ConfigDir first when it is missing; a
// folder that cannot be made is reported with its name, a file that cannot be written with
// the file error message. Returns 1 in both cases; `written` tells which, `why` says what
// failed.
int WriteNcSettings(CApplication& app, const CDocument& doc, bool* written = nullptr,
                    std::string* why = nullptr);
// The NC settings dialog's OK (save false) and its save button (save true): the switches
// become the document's, then save writes them. 1 unless the file could not be written.
int NcSettingsCommand(CApplication& app, CDocument& doc, const NcSwitches& chosen, bool save,
                      std::string* why = nullptr);

// Load: the program replaces the work layer's toolpaths. The path becomes the title and the
// work layer's file name, the layer is saved, the statistics computed, the retract height and
// the document's maximum feed refreshed, the view fitted. A file that cannot be opened is
// reported and changes nothing (CannotOpen), and so is a file with binary data near its start
// (Refused); a full store is reported and keeps the points read (NoMemory, the reason giving
// the number kept). Done when the program was read to its end. The work layer then counts as
// written: it is what the file holds.
Outcome LoadNcCommand(CApplication& app, CDocument& doc, const std::string& path);
// Append: the program's points go after the existing ones; no snapshot, no layer save, the
// title stays. The retract height is refreshed and the view fitted. Outcomes as for load; the
// work layer counts as changed.
Outcome AppendNcCommand(CApplication& app, CDocument& doc, const std::string& path);

// After the document's last extended read: what it passed over (or why it stopped) in the user's
// language, as the help line shows it; after a classic read, the values it had to limit to store
// them;
// "" when there is nothing to say.
std::string ExtendedReadNotice(const CApplication& app, const CDocument& doc);
// After a classic read: what its rules read differently from a control (how many blocks, the
// first line, that extended reading reads them as the control does); "" when nothing, or
// after an extended read. `readAsHeidenhain`: the switch the read used.
std::string ClassicReadNotice(const CApplication& app, const CDocument& doc, bool readAsHeidenhain);

// The last read was an extended one whose run stopped: the moves before the stop were kept
// and the work layer marked (CDocument::StopNote).
bool ReadStopped(const CDocument& doc);

// "1,204": a count with its thousands separated by commas, in every language.
std::string GroupThousands(long n);

}  // namespace trevalon
