#pragma once
// NC programs in the desktop's dialogs: the file filters from the FileExt pattern, the output
// path prompt of the writing commands and the question before replacing a file, comments edited as
// plain lines, and the window title after a program was written.

#include <QStringList>
#include <string>

#include "app/application.h"

class QCheckBox;
class QWidget;

namespace trevalon {

class CApplication;
class FieldBinder;
class Outcome;
class ToolpathView;
struct NcVerifyResult;

// "NCDATA FILE (pattern)" and "All Files (*.*)".
QStringList NcNameFilters(const AppSettings& s);
// The save dialog of the outputs: NC filter, replacing asks first; it shows `initial`, else
// opens in the work directory. Empty: cancelled.
std::string AskOutputPath(const AppSettings& s, QWidget* parent, const std::string& initial);
// Before writing to a path that no save dialog has confirmed (a default taken from the
// layer): true when nothing is there, or the user agreed to replace the file.
bool MayReplace(CApplication& app, const std::string& path);
// The open dialog of a program to read: NC filter; it shows `remembered`, else opens in the
// work directory, and a chosen path becomes `remembered`. Empty: cancelled.
std::string AskNcProgram(const AppSettings& s, QWidget* parent, std::string& remembered,
                         bool readOnly = false);
// A comment kept as lines each ending "\r\n", edited as plain lines; empty lines are dropped
// on the way back.
QString CommentForEditing(const std::string& comment);
std::string CommentFromEditing(const QString& text);
// The view's window takes the work layer's file name again.
void RetitleAfterOutput(ToolpathView& view);
// The "쓰기 후 검증" box of the output dialogs (on unless the user cleared it at the last OK),
// with its tip in the user's language.
QCheckBox* VerifyAfterWritingBox(CApplication& app, FieldBinder& f, bool& verify);
// What verify after writing found, once the command has run with `r`: a program that reads
// back otherwise gets a message box (the count, the first difference, the file kept); one that
// reads back as written a line in the help pane. Nothing when the file was not written.
void ShowVerifyResult(CApplication& app, const Outcome& outcome, const NcVerifyResult& r,
                      const std::string& path);

}  // namespace trevalon
