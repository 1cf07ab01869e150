#pragma once
// Post-processor templates (.ppr): 21 named sections of up to ten template lines each, the
// built-in defaults, reading and writing the file, and the section editor's splitting.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/outcome.h"

namespace trevalon {

class Messages;

// ---- Line masks ----------------------------------------------------------------------
// One bit per letter (bit 0 for A up to bit 25 for Z) and bit 26 for ARCPLANE, so that the
// conversion looks only for the tokens a line holds.
constexpr std::uint32_t kArcPlaneBit = 1u << 26;
// Bit 27 of the plain mask: the line holds one of the named variables (kNamedVariables).
constexpr std::uint32_t kNamedBit = 1u << 27;
// The variables with a name rather than a letter. The setup the toolpath was read with, as
// words of the program: "$UNITS" (G21, G20), "$WORKOFFSET" (G54, G54.1P3, G110), "$PLANE"
// (G17 to G19), "$COOLANT" (M07, M08), "$SPINDLEDIR" (M03 unless the source turned the
// spindle counter-clockwise: M04) and "$PGMUNITS" (MM, INCH); each is empty where the source
// said nothing ("$SPINDLEDIR" is M03, "$PGMUNITS" MM). "$CCX", "$CCY", "$CCZ": an arc's
// centre as a position (its start plus I, J, K), for controls that take the centre so.
inline constexpr const char* kNamedVariables[] = {"$UNITS",   "$WORKOFFSET", "$PLANE",
                                                  "$COOLANT", "$SPINDLEDIR", "$PGMUNITS",
                                                  "$CCX",     "$CCY",        "$CCZ"};
constexpr std::uint32_t LetterBit(char letter) {
  return 1u << (letter - 'A');
}
struct LineMasks {
  std::uint32_t bracket = 0;  // "[$A]" to "[$Z]", "[$ARCPLANE]"
  std::uint32_t plain = 0;    // "$A" to "$Z", "$ARCPLANE", outside the bracketed forms
  std::uint32_t prompt = 0;   // "?A" to "?Z", "[?ARCPLANE]", outside the bracketed forms
};
LineMasks ComputeLineMasks(std::string_view line);

// ---- Sections ------------------------------------------------------------------------
enum PostSectionId : int {
  kSecDefine,
  kSecStart,
  kSecNewCut,
  kSecCut,
  kSecNewRapid,
  kSecRapid,
  kSecNewXyCW,
  kSecXyCW,
  kSecNewXyCCW,
  kSecXyCCW,
  kSecNewYzCW,
  kSecYzCW,
  kSecNewYzCCW,
  kSecYzCCW,
  kSecNewZxCW,
  kSecZxCW,
  kSecNewZxCCW,
  kSecZxCCW,
  kSecTool,
  kSecSpindle,
  kSecTerm,
  kSectionCount
};

// The name between the brackets of a section's header ("Start" for "[Start]").
const char* PostSectionName(int id);

class CPostSection {
 public:
  static constexpr int kMaxLines = 10;

  void Clear();                         // no lines, not defined
  void AddLine(std::string_view line);  // kept with its masks; beyond the tenth dropped
  std::string Text() const;             // the lines one after the other
  // The section editor's OK: the text split after every "\r\n" (a last line without one gets
  // it), at most ten lines, not trimmed; defined exactly when the text is not empty.
  void SetText(std::string_view text);

  std::array<std::string, kMaxLines> lines;
  std::array<LineMasks, kMaxLines> masks;
  int lineCount = 0;
  bool defined = false;
};

class CPostTemplate {
 public:
  CPostTemplate() { SetDefaults(); }

  // Every section gets its default lines and is left not defined.
  void SetDefaults();
  // Every section holds at most ten lines of at most 99 characters, some 20 KB in all; lines
  // outside the sections are free text, so the bound leaves room for plenty of it.
  static constexpr std::size_t kFileLimit = 4u << 20;
  // The defaults, then the file (retried with ".ppr" appended). 1 when a file was read; 0
  // when none was (the defaults stay, nothing defined) and loadError says why: a missing
  // file, a folder, a file beyond kFileLimit or one with a NUL byte (not a template).
  int LoadTemplate(const std::string& fileName);
  // Whether any section is defined: a template that defines none writes nothing at all.
  bool DefinesAnySection() const;
  // Reads the sections out of a template's text (after SetDefaults).
  void ParseTemplateText(std::string_view text);
  // The file as SaveTemplate writes it.
  std::string FormatTemplate() const;
  // "PP저장": the name becomes `path` and the file is written; 0 with the file error shown.
  Outcome SaveTemplate(const Messages& msg, const std::string& path);
  // "PP 파일": the chosen file's name without its ".ppr" becomes the template's name and the
  // template is loaded from it (the ".ppr" retry finds the file).
  int ChooseTemplate(const std::string& path);
  // The section editor closed with OK on `text`.
  void EditSection(int id, std::string_view text) { sections[id].SetText(text); }

  CPostSection& operator[](int id) { return sections[static_cast<std::size_t>(id)]; }
  const CPostSection& operator[](int id) const { return sections[static_cast<std::size_t>(id)]; }

  std::array<CPostSection, kSectionCount> sections;
  std::string name;  // shown on the "PP 파일" button
  // Why the last LoadTemplate read no file, and the path it tried (None after a read).
  FileReadError loadError = FileReadError::None;
  std::string loadPath;
};

}  // namespace trevalon
