#include "ncio/post_template.h"

#include "platform/file_io.h"
#include "texts/messages.h"

namespace trevalon {

namespace {

struct SectionDefault {
  const char* name;
  const char* lines[4];
};

// The built-in template: what the user sees before any file is read, and what "PP저장" writes
// as a starting point.
const SectionDefault kDefaults[kSectionCount] = {
    {"Define", {" "}},
    {"Start", {"%\r\n", "O$O\r\n", "$UNITS$WORKOFFSET\r\n", "N$NG90G17G00[$X][$Y][$Z]\r\n"}},
    {"NewCut", {"N$NG01[$X][$Y][$Z][$F]\r\n"}},
    {"Cut", {"N$N[$X][$Y][$Z][$F]\r\n"}},
    {"NewRapid", {"N$NG00[$X][$Y][$Z]\r\n"}},
    {"Rapid", {"N$N[$X][$Y][$Z]\r\n"}},
    {"NewXyCW", {"N$NG17G02[$X][$Y][$Z]I$IJ$J\r\n"}},
    {"XyCW", {"N$N[$X][$Y][$Z]I$IJ$J\r\n"}},
    {"NewXyCCW", {"N$NG17G03[$X][$Y][$Z]I$IJ$J\r\n"}},
    {"XyCCW", {"N$N[$X][$Y][$Z]I$IJ$J\r\n"}},
    {"NewYzCW", {"N$NG19G02[$X][$Y][$Z]J$JK$K\r\n"}},
    {"YzCW", {"N$N[$X][$Y][$Z]J$JK$K\r\n"}},
    {"NewYzCCW", {"N$NG19G03[$X][$Y][$Z]J$JK$K\r\n"}},
    {"YzCCW", {"N$N[$X][$Y][$Z]J$JK$K\r\n"}},
    {"NewZxCW", {"N$NG18G02[$X][$Y][$Z]I$IK$K\r\n"}},
    {"ZxCW", {"N$N[$X][$Y][$Z]I$IK$K\r\n"}},
    {"NewZxCCW", {"N$NG18G03[$X][$Y][$Z]I$IK$K\r\n"}},
    {"ZxCCW", {"N$N[$X][$Y][$Z]I$IK$K\r\n"}},
    {"Tool", {"N$NG49\r\n", "N$NG28G91Z0.0T$TM06\r\n", "N$NG90\r\n", "N$NG43Z$ZH$H\r\n"}},
    {"Spindle", {"N$NS$S$SPINDLEDIR\r\n", "$COOLANT\r\n"}},
    {"Term", {"N$NM09\r\n", "N$NM30\r\n", "%\r\n"}},
};

void EraseAll(std::string& s, std::string_view token) {
  std::size_t pos = 0;
  while ((pos = s.find(token, pos)) != std::string::npos) s.erase(pos, token.size());
}

// One line of a template file as it is read: at most 99 characters; a longer line goes on
// in the next read. A carriage return before a line feed counts as part of the line break.
bool NextTemplateLine(std::string_view data, std::size_t& pos, std::string_view& line) {
  constexpr std::size_t kMaxChars = 99;
  if (pos >= data.size()) return false;
  std::size_t start = pos, chars = 0;
  while (pos < data.size() && chars < kMaxChars) {
    char c = data[pos++];
    if (c == '\n') break;
    if (!(c == '\r' && pos < data.size() && data[pos] == '\n')) ++chars;
  }
  line = data.substr(start, pos - start);
  return true;
}

std::string_view TrimWhite(std::string_view s) {
  const char* ws = " \t\r\n\v\f";
  std::size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

}  // namespace

const char* PostSectionName(int id) {
  return id >= 0 && id < kSectionCount ? kDefaults[id].name : "";
}

LineMasks ComputeLineMasks(std::string_view line) {
  LineMasks m;
  char token[5] = "[$A]";
  for (char c = 'A'; c <= 'Z'; ++c) {
    token[2] = c;
    if (line.find(token) != std::string_view::npos) m.bracket |= LetterBit(c);
  }
  if (line.find("[$ARCPLANE]") != std::string_view::npos) m.bracket |= kArcPlaneBit;
  for (const char* name : kNamedVariables)
    if (line.find(name) != std::string_view::npos) m.plain |= kNamedBit;
  // The plain and prompt forms are looked for with the bracketed forms taken out, so that
  // "[$N]" never also counts as "$N".
  std::string rest(line);
  for (char c = 'A'; c <= 'Z'; ++c) {
    token[2] = c;
    EraseAll(rest, token);
  }
  EraseAll(rest, "[$ARCPLANE]");
  char plain[3] = "$A", prompt[3] = "?A";
  for (char c = 'A'; c <= 'Z'; ++c) {
    plain[1] = prompt[1] = c;
    if (rest.find(plain) != std::string::npos) m.plain |= LetterBit(c);
    if (rest.find(prompt) != std::string::npos) m.prompt |= LetterBit(c);
  }
  if (rest.find("$ARCPLANE") != std::string::npos) m.plain |= kArcPlaneBit;
  if (rest.find("[?ARCPLANE]") != std::string::npos) m.prompt |= kArcPlaneBit;
  return m;
}

// ---- CPostSection --------------------------------------------------------------------

void CPostSection::Clear() {
  for (int k = 0; k < lineCount; ++k) lines[k].clear();
  lineCount = 0;
  defined = false;
}

void CPostSection::AddLine(std::string_view line) {
  if (lineCount >= kMaxLines) return;
  lines[lineCount].assign(line);
  masks[lineCount] = ComputeLineMasks(line);
  ++lineCount;
}

std::string CPostSection::Text() const {
  std::string t;
  for (int k = 0; k < lineCount; ++k) t += lines[k];
  return t;
}

void CPostSection::SetText(std::string_view text) {
  Clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t br = text.find("\r\n", pos);
    if (br == std::string_view::npos) {
      AddLine(std::string(text.substr(pos)) + "\r\n");
      break;
    }
    AddLine(text.substr(pos, br + 2 - pos));
    pos = br + 2;
  }
  defined = !text.empty();
}

// ---- CPostTemplate -------------------------------------------------------------------

void CPostTemplate::SetDefaults() {
  for (int id = 0; id < kSectionCount; ++id) {
    CPostSection& s = sections[id];
    s.Clear();
    for (const char* line : kDefaults[id].lines)
      if (line) s.AddLine(line);
  }
  for (CPostSection& s : sections) s.defined = false;
}

void CPostTemplate::ParseTemplateText(std::string_view text) {
  std::size_t pos = 0;
  std::string_view raw;
  int current = -1;
  std::string header, line;
  while (NextTemplateLine(text, pos, raw)) {
    bool isHeader = false;
    for (int id = 0; id < kSectionCount; ++id) {
      header = std::string("[") + kDefaults[id].name + "]";
      if (raw.find(header) != std::string_view::npos) {
        sections[id].Clear();
        current = id;
        isHeader = true;
      }
    }
    if (isHeader || current < 0) continue;
    line.assign(TrimWhite(raw));
    line += "\r\n";
    if (line.find("[End]") != std::string::npos) {
      current = -1;
      continue;
    }
    sections[current].AddLine(line);
    sections[current].defined = true;
  }
}

int CPostTemplate::LoadTemplate(const std::string& fileName) {
  SetDefaults();
  std::string text;
  loadPath = fileName;
  loadError = ReadBoundedFile(fileName, kFileLimit, text, true);
  if (loadError != FileReadError::None) {
    // The name as given may be a title without its extension.
    const FileReadError retry = ReadBoundedFile(fileName + ".ppr", kFileLimit, text, true);
    if (retry != FileReadError::Missing) {
      loadError = retry;
      loadPath = fileName + ".ppr";
    }
    if (loadError != FileReadError::None) return 0;
  }
  ParseTemplateText(text);
  return 1;
}

bool CPostTemplate::DefinesAnySection() const {
  for (const CPostSection& s : sections)
    if (s.defined) return true;
  return false;
}

std::string CPostTemplate::FormatTemplate() const {
  std::string out;
  for (int id = 0; id < kSectionCount; ++id) {
    const std::string text = sections[id].Text();
    if (id == kSecDefine) {
      // [Define]'s lines need not end with a line break, so one is added before "[End]".
      out += "\r\n[Define]\r\n" + text + "\r\n[End]\r\n";
    } else {
      out += std::string("\r\n[") + kDefaults[id].name + "]\r\n" + text + "[End]\r\n";
    }
  }
  return out;
}

Outcome CPostTemplate::SaveTemplate(const Messages& msg, const std::string& path) {
  name = path;
  std::string why;
  if (!WriteFileReplacing(path, FormatTemplate(), &why)) {
    msg.ShowCannotOpen();
    return Outcome::CannotCreate(path, why);
  }
  return Outcome::Done();
}

int CPostTemplate::ChooseTemplate(const std::string& path) {
  std::string title = path;
  if (title.size() > 4 && title.compare(title.size() - 4, 4, ".ppr") == 0)
    title.resize(title.size() - 4);
  name = title;
  return LoadTemplate(title);
}

}  // namespace trevalon
