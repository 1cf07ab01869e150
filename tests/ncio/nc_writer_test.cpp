// The writers: number formats, the ISO and Heidenhain programs the output commands write, their
// start and end parts, layer output, and arcs cut into pieces for output.

#include "ncio/nc_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/load_commands.h"
#include "app/output_commands.h"
#include "model/geometry.h"
#include "model/point_record.h"
#include "model/statistics.h"
#include "ncio/arc_pieces.h"
#include "ncio/nc_block_words.h"
#include "ncio/nc_number.h"
#include "ncio/nc_verify.h"
#include "ncio/post_conversion.h"
#include "ncio/reader_test_support.h"
#include "ncio/start_end_parts.h"
#include "ncio/toolpath_start.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace trevalon::testing {
namespace {

// ---- Number formats ------------------------------------------------------------------

// The short-number format spelled out as the text manipulation it is defined by.
std::string ShortByText(double v, double& rounded) {
  char buf[512];
  std::snprintf(buf, sizeof buf, " %.3f ", v);
  rounded = std::strtod(buf, nullptr);
  std::string s = buf;
  auto cut = [&s](const char* from, const char* to) {
    for (std::size_t p; (p = s.find(from)) != std::string::npos;)
      s = s.substr(0, p) + to + s.substr(p + 2);
  };
  cut("0 ", " ");
  cut("-0", "-");
  cut(" 0", "");
  std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

TEST(NcNumberFormat, FixedShortAndSignedMatchTheirTextDefinitions) {
  std::vector<double> values = {0,      -0.0, 0.0005, -0.0005, 1.0625, -1.0625,  2.5e-4, 0.0015,
                                9999.0, 1e14, -1e15,  1e300,   0.9995, -0.00049, -0.0006};
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> wide(-40000, 40000);
  std::uniform_int_distribution<int> milli(-4000000, 4000000);
  for (int k = 0; k < 20000; ++k) {
    values.push_back(wide(rng));
    values.push_back(static_cast<float>(wide(rng)));               // values as the store holds them
    values.push_back(milli(rng) / 1000.0 + (k % 3 - 1) * 0.0005);  // near the rounding ties
  }
  for (double v : values) {
    char fast[512], slow[512];
    *AppendFixed3(fast, v) = '\0';
    std::snprintf(slow, sizeof slow, "%.3f", v);
    ASSERT_STREQ(fast, slow) << v;
    double r1 = 0, r2 = 0;
    char* e = AppendShort3(fast, v, r1);
    ASSERT_EQ(std::string(fast, e), ShortByText(v, r2)) << v;
    ASSERT_EQ(r1, r2) << v;
    // The TNC style's words: always a sign, never "-0.000".
    std::snprintf(slow, sizeof slow, "X%+.3f", v);
    ASSERT_EQ(std::string(fast, ncwords::SignedWord(fast, 'X', v)),
              std::strcmp(slow, "X-0.000") ? slow : "X+0.000")
        << v;
  }
  char buf[64];
  EXPECT_EQ(std::string(buf, AppendInt(buf, -2147483647L - 1)), "-2147483648");
}

// ---- Writer fixture ------------------------------------------------------------------

class NcWriter : public ::testing::Test, public testing::AppInTempDir {
 protected:
  void SetUp() override { app.settings.editor = "editor"; }
  // A dialog as a plain ISO output: no tool change, no spindle, no editor.
  void Plain(CNcOutputDlg& dlg) {
    dlg.outputPath = dir.file("out.nc");
    dlg.toolChange = false;
    dlg.spindle = 0;
    dlg.openInEditor = false;
  }
  std::string Write(CNcOutputDlg& dlg, bool verify = false) {
    int hh = 0;
    NcVerifyResult verified;  // what the command checks after writing must pass as well
    const Outcome o = SaveNcCommand(app, *doc, dlg, hh, verify ? &verified : nullptr);
    EXPECT_TRUE(o.ok()) << o.reason();
    return ReadAll(dlg.outputPath);
  }
  std::string WritePlain(std::function<void(CNcOutputDlg&)> set = {}, bool verify = false) {
    CNcOutputDlg dlg;
    Plain(dlg);
    if (set) set(dlg);
    return Write(dlg, verify);
  }
};

// The programs of tests/data/ncio/written_programs.txt, written by the ISO and Heidenhain
// writer or converted through a template.
TEST_F(NcWriter, ProgramsAsWorkedOutByHand) {
  for (const DataCase& c : ReadCases("ncio/written_programs.txt")) {
    const auto trace = c.Trace();
    doc->store.count = 0;
    AddPoints(doc->store, c.at("toolpath"));
    std::map<std::string, int> set;
    std::istringstream words(c["set"]);
    for (std::string key; words >> key;) {  // a switch alone is on, the rest take a number
      int& v = set[key] = 1;
      if (key != "incremental" && key != "heidenhain" && key != "toolchange") words >> v;
    }
    const auto value = [&](const char* key, int otherwise) {
      return set.count(key) ? set[key] : otherwise;
    };
    std::string out;
    if (c.fields.count("template") || c.fields.count("ppr")) {
      CPostProcessorDlg dlg;
      dlg.outputPath = dir.file("out.nc");
      dlg.ppr.SetDefaults();
      if (c.fields.count("ppr")) {
        EXPECT_TRUE(dlg.ppr.LoadTemplate(std::string(TREVALON_EXAMPLES) + "/" + c.at("ppr")));
      } else {
        dlg.ppr.ParseTemplateText(c.at("template"));
      }
      dlg.toolChange = value("toolchange", 0);
      dlg.toolNumber = value("tool", 0);
      dlg.lengthOffset = value("offset", 0);
      dlg.programNumber = value("program", 0);
      dlg.spindle = value("spindle", dlg.spindle);
      EXPECT_TRUE(PostProcessCommand(app, *doc, dlg).ok());
      out = ReadAll(dlg.outputPath);
    } else {
      out = WritePlain(
          [&](CNcOutputDlg& d) {
            d.incremental = value("incremental", 0);
            d.heidenhain = value("heidenhain", 0);
            d.ijkToR = value("r", 1);
            d.programNumber = value("program", 0);
          },
          c.fields.count("verify") > 0);
    }
    for (const auto& [key, want] : c.entries) {
      if (key == "program") {
        EXPECT_EQ(out, want);
      } else if (key == "starts" || key == "ends") {
        const std::size_t at = key == "starts" ? 0 : out.size() - std::min(out.size(), want.size());
        EXPECT_EQ(out.substr(at, want.size()), want) << out;
      } else if (key == "contains" || key == "lacks") {
        EXPECT_EQ(out.find(want) != std::string::npos, key == "contains") << want << "\n" << out;
      }
    }
  }
}

TEST_F(NcWriter, HeaderToolChangeCommentAndFooter) {
  AddPoints(doc->store, "1 1 2 30, 3 1 2 20 100");
  LayerSlot& l = doc->layers[0];
  l.toolNumber = 7, l.toolOffset = 8, l.spindle = 1200, l.programNumber = 55;
  l.comment = "  A \r\n B\r\n\r\n";
  CNcOutputDlg dlg;
  dlg.TakeLayerDefaults(l, 0);
  dlg.outputPath = dir.file("t.nc");
  dlg.openInEditor = true;
  std::string out = Write(dlg);
  EXPECT_EQ(out,
            "%\nO55\n(A)\r\n(B)\nG90G00G17\nZ30.000\nG49\nG28G91Z0.0T7M06\nG90\n"
            "G43Z30.000H8\nG00X1.000Y2.000\nS1200M03\nG00X1.000Y2.000Z30.000\nG01Z20.000F100\n"
            "G00Z30.000\nM09\nM30\n%\n");
  // The layer and the title follow the output; the editor gets the file.
  EXPECT_EQ(doc->title, dlg.outputPath);
  EXPECT_EQ(l.fileName, dlg.outputPath);
  ASSERT_EQ(platform.opened.size(), 1u);
  EXPECT_EQ(platform.opened[0], "editor " + dlg.outputPath);
}

TEST_F(NcWriter, NoBlockThatTheSuppressionRulesLeaveOut) {
  // Random moves on a coarse grid, so that many coordinates and feeds repeat.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> grid(0, 2), kind(0, 3), feed(1, 2);
  CPointStore& s = doc->store;
  for (int k = 0; k < 3000; ++k) {
    static const int kTypes[] = {MOVE_RAPID, MOVE_RAPID_CONT, MOVE_LINE, MOVE_LINE_CONT};
    AddPoint(s, kTypes[kind(rng)], grid(rng), grid(rng), grid(rng) * 0.5, feed(rng) * 100);
  }
  for (bool incremental : {false, true}) {
    std::string out = WritePlain([&](CNcOutputDlg& d) {
      d.incremental = incremental;
      d.diagonalRapidCheck = false;
    });
    double modal[3] = {9999, 9999, 9999};
    long modalFeed = 0;
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    // The closing retract may repeat the height the tool is at; it is no motion block.
    auto m09 = std::find(lines.begin(), lines.end(), "M09");
    ASSERT_NE(m09, lines.begin());
    lines.erase(m09 - 1);
    for (const std::string& line : lines) {
      SCOPED_TRACE(line);
      ASSERT_FALSE(line.empty());
      ASSERT_NE(line, "G90");
      ASSERT_NE(line, "G91");
      if (incremental) continue;
      // In absolute ISO every coordinate and feed word changes the modal value.
      for (std::size_t p = 0; p < line.size(); ++p) {
        const char c = line[p];
        if (c != 'X' && c != 'Y' && c != 'Z' && c != 'F') continue;
        const double v = std::strtod(line.c_str() + p + 1, nullptr);
        if (c == 'F') {
          EXPECT_NE(static_cast<long>(v), modalFeed);
          modalFeed = static_cast<long>(v);
        } else {
          EXPECT_NE(v, modal[c - 'X']);
          modal[c - 'X'] = v;
        }
      }
    }
  }
}

TEST_F(NcWriter, BlockNumbersWrapAfterTenThousand) {
  AddPoints(doc->store, "1 0 0 0");
  for (int k = 1; k <= 10005; ++k) AddPoint(doc->store, MOVE_LINE_CONT, k * 0.01, 0, 0, 100);
  std::string out = WritePlain([](CNcOutputDlg& d) { d.blockNumbers = true; });
  EXPECT_NE(out.find("\nN9999X"), std::string::npos);
  EXPECT_NE(out.find("\nN10000X"), std::string::npos);
  EXPECT_NE(out.find("\nN1X"), std::string::npos);
  EXPECT_EQ(out.find("N10001"), std::string::npos);
  EXPECT_EQ(out.rfind("%\n"), out.size() - 2);  // the tape character carries a number
  EXPECT_NE(out.find("\nN"), out.rfind("%\n") - 6);
}

TEST_F(NcWriter, DiagonalRapidQuestion) {
  // Two diagonal rapids.
  AddPoints(doc->store, "1 0 0 10, 3 0 0 0 100, 1 5 5 10, 3 5 5 0 100, 1 9 9 10");

  // Cancel: the check is off for the rest of the run, everything is written.
  platform.answers = {Answer::Cancel};
  std::string out = WritePlain();
  EXPECT_EQ(platform.messageCount, 2);  // the notice and the question, once
  EXPECT_EQ(platform.lastCaption, "Korvo message");
  EXPECT_NE(out.find("G00X9.000Y9.000Z10.000\nM09"), std::string::npos);

  // OK, then keep what was written: the program ends where it stopped, with a comment that
  // names the record and the footer (the retract, M09, M30), and replaces the old file.
  platform.answers = {Answer::Ok, Answer::Ok};
  out = WritePlain([](CNcOutputDlg& d) { d.openInEditor = true; });
  EXPECT_EQ(out,
            "%\nG90G00G17\nG00X0.000Y0.000Z10.000\nG01Z0.000F100\n"
            "(STOPPED BEFORE RECORD 2: DIAGONAL RAPID NOT WRITTEN)\nG00Z10.000\nM09\nM30\n%\n");
  EXPECT_TRUE(platform.opened.empty());  // no editor for a stopped program

  // OK, then do not keep it: the old file stays as it was, and no temporary file is left.
  const std::string old = out;
  auto files = [&] {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) n += e.is_regular_file();
    return n;
  };
  const std::size_t before = files();
  for (bool layers : {false, true}) {
    platform.answers = {Answer::Ok, Answer::Cancel};
    CNcOutputDlg dlg;
    Plain(dlg);
    int hh = 0;
    const Outcome o = layers ? SaveLayersCommand(app, *doc, dlg.outputPath, "0", hh)
                             : SaveNcCommand(app, *doc, dlg, hh);
    EXPECT_EQ(o.code(), OutcomeCode::Cancelled) << layers;
    EXPECT_NE(o.reason().find("record 2"), std::string::npos) << o.reason();
    EXPECT_EQ(ReadAll(dlg.outputPath), old);
    EXPECT_EQ(files(), before);
  }

  // A Heidenhain program kept after a stop ends with its comment block and END PGM.
  platform.answers = {Answer::Ok, Answer::Ok};
  out = WritePlain([](CNcOutputDlg& d) { d.heidenhain = true; });
  EXPECT_NE(out.find("; STOPPED BEFORE RECORD 2"), std::string::npos) << out;
  EXPECT_NE(out.find("END PGM 0 MM\n"), std::string::npos) << out;
}

TEST_F(NcWriter, HeidenhainAndIncrementalExcludeEachOther) {
  CNcOutputDlg dlg;
  EXPECT_EQ(dlg.TickIncremental(app.Msg()), 1);
  EXPECT_EQ(dlg.TickHeidenhain(app.Msg()), 0);  // Heidenhain and incremental exclude each other
  EXPECT_FALSE(dlg.heidenhain);
  EXPECT_EQ(platform.lastCaption, " Message");
  EXPECT_EQ(platform.lastMessage,
            " Incremental ncdata cannot be written as a Heidenhain program.!!!");
  // (A file that cannot be created: the NcOutput transcript of tests/data/cli/nc_output.txt.)
}

// ---- Start and end part ----------------------------------------------------------------

// The start part stops at the first cut: a comment with a slash is passed over, the Z
// approach before the cut is taken off, the line before the cut may have an X, long lines are
// tested piece by piece and kept whole; without a cut in the first 50 lines there is none. The
// end part starts at the last retract; a file shorter than 500 bytes has none, nor one whose
// last rapid is diagonal; after one long line only its first 79 characters are dropped.
TEST(NcStartEndPart, StartAndEndPartAndThePreview) {
  std::string many;
  for (int k = 0; k < 60; ++k) many += "M08\n";
  const std::pair<std::string, std::string> starts[] = {
      {"%\nO1234\n(DATE 1/2)\nG90G00X0Y0\nS1000M03\nG43Z50.H1\nG01Z-1.F100\n",
       "%\nO1234\nG90G00X0Y0\nS1000M03"},
      {"%\nG0X1Y1\nM08\nX2Y2\nG1Z0\n", "%\nG0X1Y1\nM08\nX2Y2"},
      {"(" + std::string(100, 'A') + ")\nG00X1\nG01X2\n", "(" + std::string(100, 'A') + ")\nG00X1"},
      {many, ""}};
  for (const auto& [text, want] : starts) {
    std::string start, end = "kept";
    ScanStartPart(text, start, end);
    EXPECT_EQ(start, want);
    EXPECT_EQ(end, want.empty() ? "" : "kept");
  }
  std::string tail;
  for (int k = 0; k < 24; ++k) tail += "X1.234Y5.678Z9.0123\n";
  tail += "G01X5\nG00Z50.\nM09\nM30\n%\n";
  const std::tuple<std::string, std::size_t, std::string> ends[] = {
      {tail, 10000, "G00Z50.\nM09\nM30\n%"},
      {tail, 499, ""},
      {tail.substr(0, 480) + "\nG00X1Z50.\nM30\n", 10000, ""},
      {std::string(480, 'x') + "\nM09\nM30\n", 10000, std::string(401, 'x') + "\nM09\nM30"}};
  for (const auto& [text, size, want] : ends) {
    std::string end;
    ScanEndPart(text, size, end);
    EXPECT_EQ(end, want) << size;
  }

  // The preview is the start part the writer copies, cut after its first lines; a file that
  // is not there or has no start part within its first 50 lines shows nothing.
  TempDir dir;
  const std::string path = dir.file("src.nc");
  std::ofstream(path, std::ios::binary)
      << "%\r\nO7\r\n(DATE 1/2)\r\nG90G00X0Y0\r\nS1000M03\r\nG43Z50.H1\r\nG01Z0F100\r\n";
  const std::pair<int, const char*> previews[] = {{0, ""},
                                                  {1, "%"},
                                                  {2, "%\nO7"},
                                                  {4, "%\nO7\nG90G00X0Y0\nS1000M03"},
                                                  {6, "%\nO7\nG90G00X0Y0\nS1000M03"}};
  for (const auto& [lines, shown] : previews)
    EXPECT_EQ(StartPartPreview(path, lines), shown) << lines;
  EXPECT_EQ(StartPartPreview(dir.file("nothing.nc"), 6), "");
  std::ofstream(path, std::ios::binary | std::ios::trunc) << many;
  EXPECT_EQ(StartPartPreview(path, 6), "");
}

TEST_F(NcWriter, StartAndEndPartReplaceHeaderAndFooter) {
  std::string src = "%\nO7\nG00G90X0Y0\nG43Z50.H1\nG01Z0F100\n";
  for (int k = 0; k < 100; ++k) {
    src += 'X';
    src += std::to_string(k);
    src += "Y1.\n";
  }
  src += "G00Z100.\nM05\nM30\n%\n";
  const std::string srcPath = dir.file("src.nc");
  std::ofstream(srcPath, std::ios::binary) << src;
  AddPoints(doc->store, "1 0 0 50, 3 1 0 50 100");
  std::string out = WritePlain([&](CNcOutputDlg& d) {
    d.fileStartEnd = true;
    d.sourcePath = srcPath;
  });
  EXPECT_EQ(out,
            "%\nO7\nG00G90X0Y0\nG00X0.000Y0.000Z50.000\nG01X1.000F100\nG00Z100.\nM05\nM30\n%\n");
  // A source that cannot be read gives the fixed header and footer.
  out = WritePlain([&](CNcOutputDlg& d) {
    d.fileStartEnd = true;
    d.sourcePath = dir.file("nothing.nc");
  });
  EXPECT_EQ(out.substr(0, 12), "%\nG90G00G17\n");
}

// ---- Layer output --------------------------------------------------------------------

TEST_F(NcWriter, LayerOutputInTheOrderTyped) {
  CPointStore& s = doc->store;
  CLayerTable& layers = doc->layers;
  AddPoints(s, "1 1 1 10, 3 1 1 0 100");
  layers[1].toolNumber = 3, layers[1].toolOffset = 4, layers[1].spindle = 900;
  layers[1].comment = "ONE";
  layers.SaveLayer(1, s);
  s.count = 0;
  AddPoints(s, "1 2 2 10, 3 2 2 0 100");
  layers[2].toolNumber = 0, layers[2].spindle = 0;
  layers.SaveLayer(2, s);
  s.count = 0;
  AddPoints(s, "1 7 7 7");  // the work layer 0, edited and not saved yet
  layers[0].toolNumber = 0, layers[0].spindle = 0, layers[0].programNumber = 42;
  const std::string path = dir.file("layers.nc");
  int hh = 1;
  ASSERT_TRUE(SaveLayersCommand(app, *doc, path, "2 1 99 0", hh).ok());
  EXPECT_EQ(hh, 0);
  EXPECT_EQ(ReadAll(path),
            "%\nO42\n"
            "G90G00G17\nG00X2.000Y2.000Z10.000\nG01Z0.000F100\n"
            "(ONE)\nG90G00G17\nZ10.000\nG49\nG28G91Z0.0T3M06\nG90\nG43Z10.000H4\n"
            "G00X1.000Y1.000\nS900M03\nG00X1.000Y1.000Z10.000\nG01Z0.000\n"
            "G90G00G17\nS900M03\nG00X7.000Y7.000Z7.000\n"
            "M09\nM30\n%\n");
  // The work layer's points are back in the store.
  EXPECT_EQ(s.count, 1u);
  s.FetchPoint(0);
  EXPECT_EQ(s.reg.x, 7);
  EXPECT_FALSE(SaveLayersCommand(app, *doc, path, "50 60-55", hh).ok());  // nothing to write
}

// Arcs cut into equal pieces for output: every piece on the same circle, ends chained, the last
// one exactly at the arc's end, helices rising in proportion.

TEST(ArcPieces, SweepPiecesOnTheCircleAndChained) {
  const double from[3] = {10, 0, 0}, ijk[3] = {-10, 0, 0};
  const double quarter[3] = {0, 10, 0};
  EXPECT_NEAR(ArcSweep(from, quarter, ijk, PLANE_XY, MOVE_ARC_CCW), kHalfTurn / 2, 1e-12);
  EXPECT_NEAR(ArcSweep(from, quarter, ijk, PLANE_XY, MOVE_ARC_CW), 1.5 * kHalfTurn, 1e-12);
  EXPECT_NEAR(ArcSweep(from, from, ijk, PLANE_XY, MOVE_ARC_CW), 2 * kHalfTurn, 1e-12);
  // ZX: angles run from +Z towards +X.
  const double zx_from[3] = {0, 5, 10}, zx_ijk[3] = {0, 0, -10}, zx_to[3] = {10, 5, 0};
  EXPECT_NEAR(ArcSweep(zx_from, zx_to, zx_ijk, PLANE_ZX, MOVE_ARC_CCW), kHalfTurn / 2, 1e-12);
  EXPECT_EQ(PiecesFor(kHalfTurn, kHalfTurn / 2), 2);
  EXPECT_EQ(PiecesFor(2 * kHalfTurn, 0.9 * kHalfTurn), 3);
  EXPECT_EQ(PiecesFor(0.1, kHalfTurn), 1);
  // The pieces stay on the circle and chain, in every plane and direction.
  for (int plane : {PLANE_XY, PLANE_ZX, PLANE_YZ})
    for (int type : {MOVE_ARC_CW, MOVE_ARC_CCW}) {
      const double from[3] = {3, 4, 5}, ijk[3] = {-2, 1.5, -1};
      double to[3] = {from[0], from[1], from[2]};  // a whole helical turn along the normal
      const int n = plane == PLANE_XY ? 2 : plane == PLANE_ZX ? 1 : 0;
      to[n] += 2;
      ArcPiece pieces[3];
      SplitArc(from, to, ijk, plane, type, 3, pieces);
      double start[3] = {from[0], from[1], from[2]};
      const double centre[3] = {from[0] + ijk[0], from[1] + ijk[1], from[2] + ijk[2]};
      for (int k = 0; k < 3; ++k) {
        for (int a = 0; a < 3; ++a) {
          if (a == n) continue;
          EXPECT_NEAR(start[a] + pieces[k].ijk[a], centre[a], 1e-12);
        }
        EXPECT_NEAR(pieces[k].end[n], from[n] + 2.0 * (k + 1) / 3, 1e-12);
        EXPECT_NEAR(ArcSweep(start, pieces[k].end, pieces[k].ijk, plane, type), 2 * kHalfTurn / 3,
                    1e-9);
        for (int a = 0; a < 3; ++a) start[a] = pieces[k].end[a];
      }
      for (int a = 0; a < 3; ++a) EXPECT_EQ(pieces[2].end[a], to[a]);
    }
}

// Heidenhain programs written by the fixed-format writer, read back by the Heidenhain reader:
// the same moves, feeds and arcs as the toolpath they were written from.

class HeidenhainWriter : public NcWriter {
 protected:
  // Writes the document's toolpath as Heidenhain and returns the text.
  std::string Write() {
    return WritePlain([](CNcOutputDlg& d) { d.heidenhain = true; });
  }
  // Reads the written program with the Heidenhain reader into a fresh store and state.
  std::vector<Move> ReadBack() {
    bench.nc.heidenhainInputChk = 1;
    EXPECT_EQ(bench.Load(dir.file("out.nc")), 1);
    return Moves(*bench.store);
  }
  ReadBackCounts RoundTrip() {
    Write();
    ReadBackCounts counts;
    // The leading rapids below the climb of a program that had not set Z yet are written at
    // the height of that climb (toolpath_start.h).
    std::vector<Move> want = Moves(doc->store);
    const ToolpathStart entry = FindToolpathStart(doc->store, 0);
    for (std::uint32_t i = 0; i < entry.liftEnd; ++i)  // no centre record before the first cut
      if (want[i].kind == 1) want[i].end[2] = entry.liftHeight;
    ExpectSameToolpath(want, ReadBack(), &counts);
    return counts;
  }

  testing::ReaderBench bench;
};

TEST_F(HeidenhainWriter, BlocksAsTheReaderNeedsThem) {
  // A rapid, a cut, a half circle (two pieces, the feed before DR, a CC before each), a
  // straight continuation right after the arc (its feed alone first), a rapid continuation
  // after a cut (F6000 alone first), and the footer saying the position again, not the arc.
  AddPoints(doc->store,
            "1 0 0 10, 3 10 0 -1 500, 6 10 10 -1 500, 91 0 5 0 500, 4 0 10 -1 500, "
            "2 0 10 10, 3 5 10 10 300, 8 15 10 10 300, 91 5 0 0 300");
  EXPECT_EQ(Write(),
            "1 BEGIN PGM 0 MM\n2 BLK FORM 0.1 Z X+0.000 Y+0.000 Z-100.000\n"
            "3 BLK FORM 0.2 X+100.000 Y+100.000 Z+0.000\n4L X0.000 Y0.000 Z10.000 F6000\n"
            "5L X0.000 Y0.000 Z10.000 F6000\n6L X10.000 Z-1.000 F500\n"
            "7CC X10.000 Y5.000\n8C X15.000 Y5.000 F500 DR+\n"
            "9CC X10.000 Y5.000\n10C X10.000 Y10.000 DR+\n"
            "11F500\n12L X0.000\n13F6000\n14L Z10.000\n15L X5.000 F300\n"
            "16CC X10.000 Y10.000\n17C X10.000 Y15.000 F300 DR-\n"
            "18CC X10.000 Y10.000\n19C X15.000 Y10.000 DR-\n"
            "20L X15.000 Y10.000 Z10.000\n21 END PGM 0 MM\n");
  ReadBackCounts n;
  ExpectSameToolpath(Moves(doc->store), ReadBack(), &n);
  EXPECT_EQ(n.pieces, 4);
  EXPECT_EQ(n.chords, 0);
  // The continuations come back as continuations, so the statistics agree.
  const std::vector<Rec> back = bench.Records();
  EXPECT_EQ(back[6].type, MOVE_LINE_CONT);
  EXPECT_EQ(back[7].type, MOVE_RAPID_CONT);
}

TEST_F(HeidenhainWriter, ArcsOfEverySweepPlaneAndDirection) {
  AddPoints(doc->store,
            "1 30 10 5, 2 30 10 -1, 3 30 10 -1 400, "
            // a quarter counter-clockwise, then continuing clockwise arcs of 179.8 and 270
            // degrees and a full circle with a new feed
            "6 40 20 -1 400, 91 0 10 0 400, "
            "8 59.99994 20.03491 -1 400, 91 10 0 0 400, "
            "8 49.96509 29.99994 -1 400, 91 -9.99994 -0.03491 0 400, "
            "8 49.96509 29.99994 -1 250, 91 0 -5 0 250, "
            // a full circle of radius 0.05, and an arc of 8.5 degrees at the top of its
            // circle, whose chord runs almost along X
            "6 49.96509 29.99994 -1 250, 91 0.05 0 0 250, "
            "4 49.30244 24.97564 -1 250, 8 50.78459 24.96917 -1 250, 91 0.69756 -9.97564 0 250, "
            // a helix: half a turn down by 2
            "4 70 30 -1 250, 6 70 40 -3 250, 91 0 5 0 250, "
            // a half circle in ZX and a full circle in YZ
            "4 70 40 -5 250, 8 70 40 5 250, 92 0 0 5 250, "
            "6 70 40 5 200, 93 0 -3 0 200, "
            "1 70 40 20");
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 9);
  EXPECT_EQ(n.chordArcs, 3);  // the helix, the ZX and the YZ arc
  EXPECT_GT(n.pieces, 6 + 2);
}

TEST_F(HeidenhainWriter, RandomArcsReadBackWithinTheirLimits) {
  // Arcs of every size, sweep, direction and place, joined by cuts: among them chords that run
  // nearly along an axis and radii where the reader cannot tell the sides of a chord apart.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(0, 1);
  AddPoint(doc->store, MOVE_RAPID, 0, 0, 5);
  for (int k = 0; k < 400; ++k) {
    const double cx = std::round((u(rng) - 0.5) * 4e5) / 1000, cy = (u(rng) - 0.5) * 400;
    const double r = std::exp(std::log(0.02) + u(rng) * std::log(500 / 0.02));
    const double a0 = u(rng) * 2 * kPi;
    const double sweep = k % 10 == 0 ? 2 * kPi : (k % 5 == 0 ? 0.02 : 1) * u(rng) * 2 * kPi;
    const int type = k % 2 ? MOVE_ARC_CW : MOVE_ARC_CCW;
    const double a1 = a0 + (type == MOVE_ARC_CW ? -sweep : sweep);
    const double sx = cx + r * std::cos(a0), sy = cy + r * std::sin(a0);
    AddPoint(doc->store, MOVE_LINE, sx, sy, -1, 800);
    // The centre offset from the start as the store holds it.
    const double fx = static_cast<float>(sx), fy = static_cast<float>(sy);
    const double ex = k % 10 == 0 ? sx : cx + r * std::cos(a1);
    const double ey = k % 10 == 0 ? sy : cy + r * std::sin(a1);
    AddPoint(doc->store, type, ex, ey, -1, 800);
    AddPoint(doc->store, PLANE_XY, cx - fx, cy - fy, 0, 800);
  }
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 400);
  // Only arcs that the reader cannot rebuild within 0.005 from 3-decimal ends go out as
  // chords: radii near the reader's own 0.01 and sweeps of a few degrees.
  EXPECT_GT(n.chordArcs, 0);
  EXPECT_EQ(n.plainArcsAsChords, 0);
}

TEST_F(HeidenhainWriter, TheExampleReadsBackWithItsCuttingLength) {
  ASSERT_TRUE(
      LoadNcCommand(app, *doc, std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc").ok());
  ComputeStatistics(doc->store);
  const ToolpathStatistics want = doc->store.stats;
  const ReadBackCounts n = RoundTrip();
  EXPECT_EQ(n.arcs, 60);
  EXPECT_EQ(n.chordArcs, 0);
  ComputeStatistics(*bench.store);
  EXPECT_NEAR(bench.store->stats.cuttingLength, want.cuttingLength, 0.01);
  // Record 0 lies at Z0 only because the program had not set Z before climbing to Z30 there:
  // it goes out at Z30, and the 30 mm climb from it is no move of the program written.
  EXPECT_NEAR(bench.store->stats.rapidLength, want.rapidLength - 30.0, 0.01);
}

}  // namespace
}  // namespace trevalon::testing
