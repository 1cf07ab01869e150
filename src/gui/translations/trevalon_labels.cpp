// trevalon_labels: the catalogue of the desktop's labels. It reads the desktop's code and keeps
// the translation files in step with it:
//
//   trevalon_labels update GUI_DIR FILE.ts...   rewrites the files: a new label is added without
//                                                a translation, a label gone from the code is
//                                                dropped, every other translation stays
//   trevalon_labels check GUI_DIR FILE.ts...    exit status 1, with the reasons, unless every
//                                                label has a finished translation that keeps
//                                                its accelerator, key text and %1 places, and
//                                                no Korean text in the code escapes translation
//
// A label is the string (adjacent literals joined) that opens L("..."), LabelText("...") or an
// entry of the menu table (Menu, Sub, Item, Ticked), or the core's user text that
// CoreLabel(..., Txt::Id) shows, where the file's language has that text only in Korean. A file
// is named trevalon_LANG.ts, LANG en or ja; the Korean labels are the source texts themselves.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "texts/user_texts.h"

namespace {

using trevalon::Language;

bool HasHangul(const QString& s) {
  for (const QChar c : s) {
    const char16_t u = c.unicode();
    if ((u >= 0x1100 && u <= 0x11FF) || (u >= 0x3130 && u <= 0x318F) ||
        (u >= 0xA960 && u <= 0xA97F) || (u >= 0xAC00 && u <= 0xD7FF))
      return true;
  }
  return false;
}

// ---- Reading the code ------------------------------------------------------------------------

struct Token {
  enum Kind { Word, Text, Mark } kind;
  QString value;  // the identifier, the literal's characters (escapes resolved) or one mark
  int line;
};

// The tokens of a C++ file that matter here: identifiers, string literals and single marks;
// comments, character literals and preprocessor lines are passed over.
std::vector<Token> Tokens(const QString& code) {
  std::vector<Token> out;
  int line = 1;
  const qsizetype n = code.size();
  bool lineStart = true;
  for (qsizetype i = 0; i < n;) {
    const QChar c = code[i];
    if (c == '\n') {
      ++line;
      lineStart = true;
      ++i;
      continue;
    }
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (lineStart && c == '#') {  // a preprocessor line, continued lines included
      while (i < n && code[i] != '\n') {
        if (code[i] == '\\' && i + 1 < n && code[i + 1] == '\n') ++line, ++i;
        ++i;
      }
      continue;
    }
    lineStart = false;
    if (code.mid(i, 2) == "//") {
      while (i < n && code[i] != '\n') ++i;
      continue;
    }
    if (code.mid(i, 2) == "/*") {
      const qsizetype end = code.indexOf("*/", i + 2);
      const qsizetype stop = end < 0 ? n : end + 2;
      line += static_cast<int>(code.mid(i, stop - i).count('\n'));
      i = stop;
      continue;
    }
    if (c.isDigit()) {  // a number, digit separators included
      while (i < n && (code[i].isLetterOrNumber() || code[i] == '.' || code[i] == '\'')) ++i;
      continue;
    }
    if (c.isLetter() || c == '_') {
      const qsizetype start = i;
      while (i < n && (code[i].isLetterOrNumber() || code[i] == '_')) ++i;
      const QString word = code.mid(start, i - start);
      const qsizetype open = i < n && code[i] == '"' ? code.indexOf('(', i) : -1;
      const bool raw = word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR";
      if (raw && open > 0) {  // a raw string literal
        const QString close = ")" + code.mid(i + 1, open - i - 1) + "\"";
        const qsizetype end = code.indexOf(close, open);
        const qsizetype stop = end < 0 ? n : end;
        out.push_back({Token::Text, code.mid(open + 1, stop - open - 1), line});
        line += static_cast<int>(code.mid(i, stop - i).count('\n'));
        i = end < 0 ? n : end + close.size();
        continue;
      }
      if (i < n && (code[i] == '"' || code[i] == '\'') &&
          (word == "u8" || word == "u" || word == "U" || word == "L"))
        continue;  // an encoding prefix: the literal follows
      out.push_back({Token::Word, word, line});
      continue;
    }
    if (c == '"' || c == '\'') {
      const QChar quote = c;
      QString value;
      for (++i; i < n && code[i] != quote && code[i] != '\n'; ++i) {
        if (code[i] != '\\' || i + 1 >= n) {
          value += code[i];
          continue;
        }
        const QChar e = code[++i];
        value += e == 'n' ? QChar('\n') : e == 't' ? QChar('\t') : e == 'r' ? QChar('\r') : e;
      }
      ++i;
      if (quote == '"') {
        // Adjacent literals are one string.
        if (!out.empty() && out.back().kind == Token::Text)
          out.back().value += value;
        else
          out.push_back({Token::Text, value, line});
      }
      continue;
    }
    out.push_back({Token::Mark, QString(c), line});
    ++i;
  }
  return out;
}

const std::set<QString> kLabelCalls = {"L", "LabelText", "Menu", "Sub", "Item", "Ticked"};

struct Label {
  QString text;
  QString file;  // where it is first used
  int line;
};

struct Catalogue {
  std::vector<Label> labels;                          // in the order of the code
  std::vector<std::pair<QString, Label>> coreLabels;  // Txt name, where it is used
  QStringList problems;
};

void Read(const QString& path, const QString& shownName, Catalogue& cat) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    cat.problems << shownName + ": cannot be read";
    return;
  }
  const std::vector<Token> t = Tokens(QString::fromUtf8(f.readAll()));
  for (std::size_t k = 0; k < t.size(); ++k) {
    const Token& tok = t[k];
    if (tok.kind == Token::Text) {
      const bool labelled = k >= 2 && t[k - 1].kind == Token::Mark && t[k - 1].value == "(" &&
                            t[k - 2].kind == Token::Word && kLabelCalls.count(t[k - 2].value);
      if (labelled)
        cat.labels.push_back({tok.value, shownName, tok.line});
      else if (HasHangul(tok.value))
        cat.problems << QString("%1:%2: Korean text outside a label: \"%3\"")
                            .arg(shownName)
                            .arg(tok.line)
                            .arg(tok.value);
      continue;
    }
    if (tok.kind != Token::Word || tok.value != "CoreLabel" || k + 1 >= t.size() ||
        t[k + 1].value != "(")
      continue;
    // The Txt ids among the call's arguments.
    int depth = 0;
    bool found = false;
    for (std::size_t j = k + 1; j < t.size(); ++j) {
      if (t[j].kind == Token::Mark && t[j].value == "(") ++depth;
      if (t[j].kind == Token::Mark && t[j].value == ")" && --depth == 0) break;
      if (t[j].kind == Token::Word && t[j].value == "Txt" && j + 3 < t.size() &&
          t[j + 1].value == ":" && t[j + 2].value == ":" && t[j + 3].kind == Token::Word) {
        cat.coreLabels.push_back({t[j + 3].value, {QString(), shownName, tok.line}});
        found = true;
      }
    }
    // A call inside a declaration (the function itself) has no id and no problem.
    if (!found && !(k > 0 && t[k - 1].kind == Token::Word && t[k - 1].value == "QString"))
      cat.problems << QString(
                          "%1:%2: CoreLabel needs its Txt:: id in the call, so that its "
                          "text can be collected")
                          .arg(shownName)
                          .arg(tok.line);
  }
}

Catalogue ReadCode(const QString& guiDir) {
  Catalogue cat;
  QStringList files;
  const QDir root(guiDir);
  QDirIterator it(root.absolutePath(), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (!path.contains("/translations/")) files << path;
  }
  files.sort();
  for (const QString& path : files) Read(path, root.relativeFilePath(path), cat);
  return cat;
}

// ---- The translation files -------------------------------------------------------------------

struct Entry {
  QString source;
  QString translation;
  bool finished = false;
  QString location;
};

bool LanguageOf(const QString& tsPath, Language& lang, QString& code) {
  const QString name = QFileInfo(tsPath).completeBaseName();
  if (name == "trevalon_en") return lang = Language::English, code = "en_GB", true;
  if (name == "trevalon_ja") return lang = Language::Japanese, code = "ja_JP", true;
  return false;
}

// The labels the file of `lang` must translate, in the order of the code, each once.
std::vector<Label> Wanted(const Catalogue& cat, Language lang, QStringList& problems) {
  std::vector<Label> out;
  std::set<QString> seen;
  auto add = [&](const Label& l) {
    if (l.text.isEmpty() || !seen.insert(l.text).second) return;
    out.push_back(l);
  };
  for (const Label& l : cat.labels) add(l);
  for (const auto& [name, where] : cat.coreLabels) {
    trevalon::Txt id;
    if (!trevalon::FindTxt(name.toStdString(), id)) {
      problems << QString("%1:%2: no user text Txt::%3").arg(where.file).arg(where.line).arg(name);
      continue;
    }
    const QString text = QString::fromUtf8(trevalon::UserText(id, lang));
    if (HasHangul(text)) add({text, where.file, where.line});
  }
  return out;
}

bool ReadTs(const QString& path, std::map<QString, Entry>& entries) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  QXmlStreamReader x(&f);
  Entry e;
  while (!x.atEnd()) {
    x.readNext();
    if (x.isStartElement() && x.name() == u"message") {
      e = Entry{};
    } else if (x.isStartElement() && x.name() == u"source") {
      e.source = x.readElementText();
    } else if (x.isStartElement() && x.name() == u"translation") {
      const auto type = x.attributes().value("type");
      e.finished = type.isEmpty();
      e.translation = x.readElementText(QXmlStreamReader::IncludeChildElements);
    } else if (x.isEndElement() && x.name() == u"message") {
      entries[e.source] = e;
    }
  }
  return !x.hasError();
}

bool WriteTs(const QString& path, const QString& langCode, const std::vector<Entry>& entries) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QXmlStreamWriter x(&f);
  x.setAutoFormatting(true);
  x.setAutoFormattingIndent(4);
  x.writeStartDocument();
  x.writeDTD("<!DOCTYPE TS>");
  x.writeStartElement("TS");
  x.writeAttribute("version", "2.1");
  x.writeAttribute("language", langCode);
  x.writeAttribute("sourcelanguage", "ko_KR");
  x.writeStartElement("context");
  x.writeTextElement("name", "Trevalon");
  for (const Entry& e : entries) {
    x.writeStartElement("message");
    x.writeEmptyElement("location");
    x.writeAttribute("filename", "../" + e.location);
    x.writeTextElement("source", e.source);
    x.writeStartElement("translation");
    if (!e.finished) x.writeAttribute("type", "unfinished");
    x.writeCharacters(e.translation);
    x.writeEndElement();
    x.writeEndElement();
  }
  x.writeEndElement();
  x.writeEndElement();
  x.writeEndDocument();
  return f.flush();
}

// The accelerator letter's place ("&F"), if any; "&&" is an ampersand.
bool HasAccelerator(const QString& s) {
  for (qsizetype i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '&') continue;
    if (s[i + 1] == '&') {
      ++i;
      continue;
    }
    return true;
  }
  return false;
}

QString KeyText(const QString& s) {
  const qsizetype tab = s.indexOf('\t');
  return tab < 0 ? QString() : s.mid(tab);
}

QStringList Places(const QString& s) {
  QStringList out;
  static const QRegularExpression place("%[1-9]");
  for (const auto& m : place.globalMatch(s)) out << m.captured();
  out.sort();
  return out;
}

QString Shown(const QString& s) {
  QString v = s;
  return v.replace('\t', "\\t").replace('\n', "\\n");
}

void CheckFile(const QString& ts, const std::vector<Label>& wanted, QStringList& problems) {
  std::map<QString, Entry> entries;
  const QString name = QFileInfo(ts).fileName();
  if (!ReadTs(ts, entries)) {
    problems << name + ": cannot be read as a translation file";
    return;
  }
  std::set<QString> inCode;
  for (const Label& l : wanted) {
    inCode.insert(l.text);
    const auto it = entries.find(l.text);
    const QString where = QString("%1 (%2:%3)").arg(name, l.file).arg(l.line);
    if (it == entries.end()) {
      problems << where + QString(": \"%1\" is not in the file (build update_labels)")
                              .arg(Shown(l.text));
      continue;
    }
    const Entry& e = it->second;
    if (!e.finished || e.translation.isEmpty()) {
      problems << where + QString(": \"%1\" has no finished translation").arg(Shown(l.text));
      continue;
    }
    if (HasHangul(e.translation))
      problems << where + QString(": the translation of \"%1\" is Korean").arg(Shown(l.text));
    if (HasAccelerator(l.text) && !HasAccelerator(e.translation))
      problems << where + QString(": \"%1\" lost its accelerator").arg(Shown(e.translation));
    if (KeyText(l.text) != KeyText(e.translation))
      problems << where + QString(": \"%1\" must end in the key text \"%2\"")
                              .arg(Shown(e.translation), Shown(KeyText(l.text)));
    if (Places(l.text) != Places(e.translation))
      problems << where + QString(": \"%1\" must keep the places %2")
                              .arg(Shown(e.translation), Places(l.text).join(' '));
  }
  for (const auto& [source, e] : entries)
    if (!inCode.count(source))
      problems << name + QString(": \"%1\" is no longer in the code (build update_labels)")
                             .arg(Shown(source));
}

void UpdateFile(const QString& ts, const QString& langCode, const std::vector<Label>& wanted) {
  std::map<QString, Entry> old;
  ReadTs(ts, old);  // a missing file starts empty
  std::vector<Entry> entries;
  int added = 0;
  for (const Label& l : wanted) {
    const auto it = old.find(l.text);
    Entry e = it != old.end() ? it->second : Entry{l.text, QString(), false, QString()};
    if (it == old.end()) ++added;
    e.location = l.file;
    entries.push_back(e);
  }
  const int dropped = static_cast<int>(old.size() + added - entries.size());
  if (!WriteTs(ts, langCode, entries)) {
    std::fprintf(stderr, "trevalon_labels: cannot write %s\n", qPrintable(ts));
    std::exit(1);
  }
  std::printf("%s: %zu labels, %d new, %d dropped\n", qPrintable(QFileInfo(ts).fileName()),
              entries.size(), added, dropped);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() < 3 || (args[0] != "check" && args[0] != "update")) {
    std::fprintf(stderr, "usage: trevalon_labels check|update GUI_DIR trevalon_LANG.ts...\n");
    return 2;
  }
  const bool update = args[0] == "update";
  Catalogue cat = ReadCode(args[1]);
  QStringList problems = cat.problems;
  for (const QString& ts : args.mid(2)) {
    Language lang;
    QString code;
    if (!LanguageOf(ts, lang, code)) {
      std::fprintf(stderr, "trevalon_labels: %s: not trevalon_en.ts or trevalon_ja.ts\n",
                   qPrintable(ts));
      return 2;
    }
    const std::vector<Label> wanted = Wanted(cat, lang, problems);
    if (update)
      UpdateFile(ts, code, wanted);
    else
      CheckFile(ts, wanted, problems);
  }
  for (const QString& p : problems) std::fprintf(stderr, "%s\n", qPrintable(p));
  if (!problems.isEmpty()) return 1;
  if (!update) std::printf("every label has its translations\n");
  return 0;
}
