// trevalon-cli: splitting scripts, the options and modes of the command line, and the verbs,
// one table per verb file: what each command line parses to, its exit status and the
// fragments of its output. What the commands do is tested in the core; these rows check that
// the words reach it and that its results and failures come back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "cli/script_stream.h"
#include "cli_table.h"
#include "feed/cutting_conditions.h"
#include "feed/feed_control.h"

namespace trevalon::testing {
namespace {

std::vector<std::vector<std::string>> Split(std::string_view text) {
  std::vector<cli::ScriptCommand> cmds;
  std::string error;
  int line = 0;
  EXPECT_TRUE(cli::SplitScript(text, cmds, error, line)) << error;
  std::vector<std::vector<std::string>> words;
  for (auto& c : cmds) words.push_back(c.words);
  return words;
}

TEST(ScriptSplit, LinesSemicolonsQuotesAndComments) {
  auto w = Split(
      "add 1 0 0 0 0; dump # comment; not a command\n\n  layerinfo 1 "
      "comment=\"a; b\\nc \\\"q\\\"\"\r\n");
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].size(), 6u);
  EXPECT_EQ(w[1], (std::vector<std::string>{"dump"}));
  EXPECT_EQ(w[2][2], "comment=a; b\nc \"q\"");
  EXPECT_EQ(Split("\"\"").at(0).at(0), "");  // an empty quoted word is a word
  for (std::string s : {"plain", "with blank", "semi;colon", "line\nbreak", "q\"uote", "", "#x"}) {
    auto q = Split("v " + cli::QuoteWord(s));
    ASSERT_EQ(q.size(), 1u) << s;
    EXPECT_EQ(q[0][1], s);
  }
  // An unterminated quote is an error on its line; the commands before it are kept.
  std::vector<cli::ScriptCommand> cmds;
  std::string error;
  int line = 0;
  EXPECT_FALSE(cli::SplitScript("a\nb \"open", cmds, error, line));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(cmds.size(), 1u);
}

TEST(CliMain, OptionsModesAndLineNumbers) {
  TempDir dir;
  const std::string sys = dir.path().string();
  auto r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("add TYPE X Y Z FEED [MARK]"), std::string::npos);
  EXPECT_NE(r.out.find("trevalon-cli convert IN -o OUT"), std::string::npos);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--lang", "fr", "-c", "dump"},
                                       {"--answer", "maybe", "-c", "dump"},
                                       {"--sysdir"},
                                       {},
                                       {"-c", "dump", "dump"},
                                       {"frobnicate"}})
    EXPECT_EQ(RunCli(bad).status, 2);
  EXPECT_EQ(RunCli({"--sysdir", sys, "run", "/no/such/script"}).status, 1);
  // The first failing command stops the run: -c numbers its commands, a file its lines.
  r = RunCli({"--sysdir", sys, "-c", "add 1 0 0 0 0; bogus; add 1 0 0 0 0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "line 2: unknown command 'bogus'\n");
  std::ofstream(dir.file("s.txt")) << "# header\nadd 1 0 0 0 0\n\nview nowhere\n";
  r = RunCli({"--sysdir", sys, "run", dir.file("s.txt")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("line 4: ", 0), 0u) << r.err;
  r = RunCli({"--sysdir", sys, "run", "-"}, "add 1 0 0 0 0\ndump\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0 1 0.0000 0.0000 0.0000 0 0\n");
  // Words are checked on an empty store too.
  EXPECT_EQ(RunCli({"--sysdir", sys, "-c", "dump x"}).status, 2);
  EXPECT_EQ(RunCli({"--sysdir", sys, "-c", "dump -1"}).status, 2);
  // A shortcut's failure names the shortcut once.
  r = RunCli({"--sysdir", sys, "info", "/no/such.nc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.find("info: info:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("trevalon-cli info: "), std::string::npos) << r.err;
}

// Every row runs alone in a fresh directory holding `files` and a FIFO; afterwards each file
// is still there with the same bytes, and the FIFO is still a FIFO.
void RunAlone(const std::vector<Row>& rows, const std::map<std::string, std::string>& files) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    const TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    RunTable({row}, files, {}, &dir);
    for (const auto& [name, bytes] : files) EXPECT_EQ(ReadAll(dir.file(name)), bytes) << name;
    EXPECT_EQ(std::filesystem::status(dir.file("fifo")).type(), std::filesystem::file_type::fifo);
  }
}

TEST(Verbs, Model) {
  RunTable(
      {
          {"add 1 0 0 10 0; add 3 0 0 0 500; add 4 30 40 0 500 1; dump 1; info", 0,
           "=out:1 3 0.0000 0.0000 0.0000 500 0\n2 4 30.0000 40.0000 0.0000 500 1\n"
           "{\"count\":3,\"max_feed\":500,\"cutting_length\":60.000000,\"rapid_length\":0.000000,"
           "\"cutting_time\":0.120000,\"cutting_min\":[0.000000,0.000000,0.000000],"
           "\"cutting_max\":[30.000000,40.000000,10.000000],"
           "\"rapid_min\":[0.000000,0.000000,10.000000],"
           "\"rapid_max\":[0.000000,0.000000,10.000000],\"arc_length\":0.000000,"
           "\"machine_time\":0.120076,\"rapid_time\":0.000000}\n"},
          // info shows the store as it is now: an emptied one, an empty layer, arcs' length.
          {"add 1 0 0 10 0; add 3 0 0 0 500; clear; info; undo; layer 5; info", 0,
           "!out:\"max_feed\":500", "out:\"count\":0,\"max_feed\":0,\"cutting_length\":0.000000"},
          {"add 1 0 0 0 0; add 8 20 0 0 300; add 91 10 0 0 0; info", 0,
           "out:\"cutting_length\":0.000000", "out:\"arc_length\":31.415927,\"machine_time\":"},
          // dump shows the records as stored; info fetches them and so nulls the bad one.
          {"add 3 40000 0 0 100; dump; info; dump", 0, "^out:0 3 40000.0000 0.0000 0.0000 100 0\n",
           "out:0 0 32700.0000 32700.0000 32700.0000 300 0\n"},
          {"add 1 x 0 0 0", 2, "err:line 1: X must be a number"},
          {"undo; redo; clear; undo; undo", 0},  // nothing to undo is no failure
          {"add 1 0 0 0 0; add 3 1 0 0 10; clear; dump; undo; dump 1; redo; dump", 0,
           "=out:1 3 1.0000 0.0000 0.0000 10 0\n"},
          // Copying onto a layer with another tool asks; ok copies, cancel keeps the work layer.
          {"$ --answer ok -c add 1 0 0 0 0; add 3 1 0 0 10; layer 3; add 1 5 5 5 0; layerinfo 3 "
           "tool=7 file=/jobs/b.nc \"comment=first\\r\\n\"; layer 0; copylayer 3 0; dump",
           0, "err:Korvo message: ", "out:2 1 5.0000 5.0000 5.0000 0 0\n"},
          {"layer 3; add 1 5 5 5 0; layerinfo 3 tool=7; layer 0; add 1 0 0 0 0; copylayer 3 0; "
           "dump",
           0, "=out:0 1 0.0000 0.0000 0.0000 0 0\n"},
          {"layerinfo 3 tool=7 spindle=12000 name=\"Finish pass\"; echo off 1-3 9; layerinfo 3", 0,
           "out:name=\"Finish pass\"\n", "out:spindle=12000\n", "out:echo=0\n"},
          {"add 1 -50 0 10 0; add 3 -50 0 0 100; add 4 50 0 0 100; view top; view size 200 100; "
           "view fit; select rect 99 49 101 51; dump 2; selection invert; dump 2; select rect 0 0 "
           "199 99 shift; dump 2; selection clear; selection clearmarks; dump 2",
           0,
           "=out:2 4 50.0000 0.0000 0.0000 100 1\n2 4 50.0000 0.0000 0.0000 100 0\n"
           "2 4 50.0000 0.0000 0.0000 100 1\n2 4 50.0000 0.0000 0.0000 100 0\n"},
      },
      {},
      {"add 5 0 0 0 0", "add 1 0 0 0", "add 1 0 0 0 0; dump -1", "info now", "layer 100",
       "layerinfo 1 tool=100001", "layerinfo 1 colour=3", "copylayer 1 100", "echo maybe 1",
       "select rect 1 2 3", "select box 1 2 3 4", "select rect 0 0 1 1 ctrl",
       "select rect 0 0 1 2000000", "selection all"});
}

TEST(Verbs, View) {
  RunTable(
      {
          {"add 1 -50 0 10 0; add 3 -50 0 0 100; add 4 50 0 0 100; view top; view size 200 100; "
           "view fit; view show; view key PageUp; view show; view zoomin; view show; view zoomout; "
           "view zoomout; view show",
           0,
           "=out:0 0 0 2.000000 0 0\n0 0 10 2.000000 0 0\n0 0 10 4.000000 0 0\n"
           "0 0 10 1.000000 0 0\n"},
      },
      {}, {"view key Escape", "view nowhere", "view size 0 100", "view top now", "view"});
}

TEST(Verbs, Filters) {
  const std::string line = "add 1 0 0 0.5 500; add 3 0 0 0 500; add 4 1 0 0 500; add 4 2 0 0 500; ";
  const std::string arc =
      "add 1 10 0 5 0; add 3 10 0 0 500; add 4 9.986 0.523 0 500; "
      "add 4 9.945 1.045 0 500; add 4 9.877 1.564 0 500; ";
  RunTable(
      {
          {line + "filter linear 0.001; dump 2 2; undo; dump 2 2", 0,
           "=out:filter linear: 4 points -> 3 points (1 taken out)\n"
           "2 4 2.0000 0.0000 0.0000 500 0\n2 4 1.0000 0.0000 0.0000 500 0\n"},
          {line + "filter arc 0.001", 0, "err:filter arc: no arc is flat enough", "=out:"},
          {line + "subdivide 0.5; dump 3 3; subdivide 1 scope=point 2", 0,
           "=out:subdivide: 4 points -> 8 points (2 cuts split)\n"
           "3 4 0.6667 0.0000 0.0000 500 0\n",
           "err:subdivide: no chosen linear cut is longer than the step (nothing changed)"},
          {line + "view top; view size 200 100; view fit; subdivide 0.5 scope=polygon 100 0 199 0 "
                  "199 99 100 99; subdivide 0.4 scope=selected",
           0, "out:subdivide: 4 points -> 6 points (1 cuts split)\n",
           "err:subdivide: no chosen linear cut is longer than the step (nothing changed)"},
          {line + "subdivide 1 scope=point 99", 1, "err:subdivide: there is no point 99"},
          {arc + "arcs fit; dump 2; arcs tolines 0.005; dump 2 2", 0,
           "out:arcs fit: 5 points -> 4 points (1 arcs for 3 cuts, largest deviation 0.00",
           "out:\n2 6 9.8770 1.5640 0.0000 500 0\n",
           "out:arcs tolines: 4 points -> 5 points (1 arcs made linear cuts)\n2 4 9.98"},
          {arc + "arcs fit planes=zx,yz prefilter=0.001 tol=0.02 points=3 rmin=1 rmax=20", 0,
           "err:arcs fit: no run of linear cuts fits an arc within the tolerance"},
          // Simplify: the four points on the circle one arc, then a straight run one line.
          {arc + "add 4 9.877 3 0 500; add 4 9.877 4.5 0 500; add 4 9.877 6 0 500; "
                 "arcs simplify planes=xy; dump 2 3; undo; arcs simplify tol=0.001 planes=zx,yz; "
                 "arcs simplify tol=0.001 planes=zx,yz",
           0,
           "out:arcs simplify: 8 points -> 5 points (1 arcs and 1 lines for 6 cuts, largest "
           "deviation 0.0034)\n2 6 9.8770 1.5640 0.0000 500 0\n3 91 -10.1150 -0.0090",
           // Without the plane of the arc only the straight run goes.
           "out:arcs simplify: 8 points -> 6 points (0 arcs and 1 lines for 3 cuts",
           "err:arcs simplify: no run of linear cuts could be written shorter"},
      },
      {},
      {"filter linear 0", "filter curve 0.1", "filter linear", "subdivide 1 scope=point",
       "subdivide 1 scope=polygon 0 0 10 10", "subdivide 1 scope=window", "subdivide 0",
       "arcs fit planes=xz", "arcs fit planes=", "arcs fit tol=0", "arcs fit points=2",
       "arcs fit rmin=5 rmax=1", "arcs fit 3", "arcs tolines", "arcs", "arcs simplify tol=11",
       "arcs simplify planes=xyz", "arcs simplify 0.01"});
}

TEST(Verbs, App) {
  RunTable(
      {
          {"settings workdir=/nc/jobs CrossCursorChk=1 save; settings", 0, "out:WorkDir /nc/jobs\n",
           "out:CrossCursorChk 1\n", "korvo.cfg:\nWorkDir /nc/jobs \n"},
          {"settings", 0, "out:WorkDir /nc/jobs\n", "out:SettingsFile {d}/korvo.cfg\n"},
          {"settings Editor=\"my editor\"", 2},  // korvo.cfg would read it back cut
          // The Korean-labels key: written only while it is on, gone again when it is off.
          {"settings KoreanLabelsChk=1 save; settings", 0, "out:KoreanLabelsChk 1\n",
           "korvo.cfg:CrossCursorChk 1 \nKoreanLabelsChk 1 \n"},
          {"settings; settings koreanlabelschk=0 save", 0, "out:KoreanLabelsChk 1\n",
           "!korvo.cfg:KoreanLabelsChk"},
          // The language choice: applied at once, written only while chosen; --lang wins at start.
          {"settings Language=ja save; settings; text ButtonCancel", 0, "out:Language ja\n",
           "korvo.cfg:Language ja \n", "out:キャンセル\n"},
          {"text ButtonCancel", 0, "=out:Cancel\n"},
          {"settings Language=system save; settings", 0, "out:Language \n", "!korvo.cfg:Language"},
          {"text CannotOpenFile", 0, "=out: Can not open file !!.\n\n"},
          {"$ --lang ja -c text NotExistMasterModel", 0, "!out:Not exist"},
      },
      {},
      {"settings Colour=1", "settings keep", "settings CrossCursorChk=yes",
       "settings KoreanLabelsChk=yes", "settings Language=fr", "text NoSuchText"});
}

TEST(Verbs, NcInput) {
  RunTable(
      {
          {"$ info {data}/pocket_ijk.nc", 0, "out:\"max_feed\":800",
           "out:\"cutting_length\":67.0000"},
          {"$ dump {data}/long_lines.tap", 0,
           "=out:0 1 0.0000 0.0000 5.0000 0 0\n1 3 0.0000 0.0000 -1.0000 250 0\n"
           "2 4 99.0000 0.0000 -1.0000 250 0\n3 4 20.0000 0.0000 -1.0000 250 0\n"
           "4 1 20.0000 0.0000 5.0000 250 0\n"},
          {"$ info {d}/none.nc", 1},
          {"settings ConfigDir={d} save", 0},
          {"ncset; load {data}/face_mill.nc; append {data}/helix.nc; dump 8 8; layerinfo 0", 0,
           "^out:IntNcdataFlg 0 \nArcToCutInputChk 0 \nHeidenhainInputChk 0 \n"
           "HeidenhainOutChk 0 \n8 1 10.0000 0.0000 2.0000 1200 0\n",
           "out:spindle=0"},  // the append's own values
          {"ncset int=1 hhout=1 save; ncset", 0, "out:IntNcdataFlg 1 \n"},
          {"ncset", 0, "out:HeidenhainOutChk 1 \n"},  // a new session starts from the file
          {"load {d}/none.nc", 1,
           "err:Error message:  Can not open file !!.\nline 1: load: cannot open '{d}/none.nc'"},
      },
      {}, {"$ dump", "ncset int=2", "ncset keep"});
}

// A file with binary data near its start is refused by every verb that reads one (load and
// append alike: the core's load tests).
TEST(Verbs, NcInputRefusesBinaryFiles) {
  RunTable({{"load {data}/face_mill.nc; load {d}/bin.nc; info", 1,
             "err:line 2: load: '{d}/bin.nc' is not an NC program (binary data near its start)\n",
             "=out:"},
            {"$ convert {d}/bin.nc -o {d}/b.nc", 1, "=b.nc:"}},
           {{"bin.nc", std::string("G0 X1. Y2.\n\0\x7f\x01G1 X3.\n", 20)}});
}

// Extended reading reads blocks the classic rules skip and says on standard error what it
// passed over, counts grouped by thousands, with the line of the first block of each kind; a
// classic read says nothing there.
TEST(Verbs, ExtendedReading) {
  std::string many = "G95\n";
  for (int i = 0; i < 1204; ++i) many += "G1 X" + std::to_string(i + 1) + " A1. F10\n";
  const std::string differently = " blocks differently from a control (first line ";
  RunTable(
      {// A classic read says once what its rules read otherwise than a control.
       {"load {d}/commented.nc; info", 0, "out:\"count\":0",
        "=err:Help: The classic rules read 2" + differently +
            "1); extended reading in the NC settings reads them as the "
            "control does.\n"},
       {"load {d}/plain.nc; info", 0, "out:\"count\":2", "=err:"},
       {"load {d}/prog.h; info", 0, "out:\"count\":0",
        "=err:Help: This file looks like a Heidenhain program but was "
        "read as ISO: 5 blocks are read differently from its control "
        "(first line 1); extended reading in the NC settings tells the "
        "dialect of each file and reads them as the control does.\n"},
       {"ncset hhin=1; load {d}/prog.h; info", 0,
        "err:Help: The classic rules read 2" + differently + "2);", "out:\"count\":3"},
       {"ncset hhin=1 extended=1; load {d}/prog.h; info", 0, "=err:"},
       {"ncset extended=1; ncset; load {d}/commented.nc; info", 0,
        "out:HeidenhainOutChk 0 \nExtendedReadingChk 1 \n", "out:\"count\":2", "=err:"},
       {"ncset extended=1; load {d}/many.nc", 0,
        "=err:Help: Extended reading passed over G95 feed per revolution in 1 blocks "
        "(first line 1), rotary axes in 1,204 blocks (first line 2).\n"}},
      {
          {"commented.nc", "G01 X4.75 F50. (FEED X)\nX 0 Y1\n"},
          {"many.nc", many},
          {"plain.nc", "G0 X0 Y0 Z5\nG1 X10 F100\nM30\n"},
          {"prog.h",
           "BEGIN PGM 1 MM\nL X+5 Y+5 Z+10 FMAX\nL X+10 R0 F200\nL Z+10 FMAX\n"
           "END PGM 1 MM\n"},
      });
}

// A program whose run stops is loaded up to the stop: the script goes on and ends with exit
// status 1, and every write of the marked toolpath says the stop again until a later load
// replaces it.
TEST(Verbs, ExtendedReadThatStops) {
  // The load's message comes as an error, a write's as a warning before it.
  const std::string warned =
      "err:Korvo message: Help: Extended reading stopped: The program raised alarm 1 TOOL "
      "BROKEN. (line 3)\n";
  RunTable({{"ncset extended=1; load {d}/alarm.nc; dump", 1,
             "err:load: extended reading stopped: The program raised alarm 1 TOOL BROKEN. "
             "(line 3); the moves read before the stop are loaded (2 records)",
             "=out:0 1 0.0000 0.0000 5.0000 0 0\n1 3 10.0000 0.0000 5.0000 100 0\n"},
            {"ncset extended=1; load {d}/alarm.nc; save {d}/o.nc editor=0", 1, warned, "o.nc:X10."},
            {"ncset extended=1; load {d}/alarm.nc; savelayers {d}/l.nc 0", 1, warned},
            {"ncset extended=1; load {d}/alarm.nc; load {d}/good.nc; save {d}/o.nc editor=0", 1,
             "!err:Korvo message", "o.nc:X7."},
            {"ncset extended=1; load {d}/good.nc; save {d}/o.nc editor=0", 0, "=err:"},
            // The stop of a read does not hide a later failure.
            {"ncset extended=1; load {d}/alarm.nc; bogus", 2}},
           {{"alarm.nc", "G0 X0 Y0 Z5\nG1 X10 F100\n#3000=1 (TOOL BROKEN)\nG1 X20\n"},
            {"good.nc", "G0 X0 Y0 Z5\nG1 X7 F100\n"}});
}

TEST(Verbs, NcOutput) {
  const std::string points = "add 1 0 0 5 0; add 3 1 0 5 100; ";
  RunTable(
      {
          {points + "save {d}/o.nc tool=0 spindle=0 nnum=1 program=12 editor=0 comment=\"C1\nC2\"",
           0,
           "=o.nc:%\nO12\n(C1)\r\n(C2)\nN1G90G00G17\nN2G00X0.000Y0.000Z5.000\nN3G01X1.000F100\n"
           "N4M09\nN5M30\nN6%\n"},
          // The switch follows the dialect of the last output. (Heidenhain and incremental
          // together are refused, the file kept: the hostile-input rows.)
          {points + "save {d}/o.nc heidenhain=1 editor=0; ncset", 0, "^o.nc:1 BEGIN PGM 0 MM\n2",
           "out:HeidenhainOutChk 1"},
          // The comment as ';' blocks, one per line, its parentheses as brackets.
          {points + "save {d}/h.h heidenhain=1 editor=0 verify=1 comment=\"first (a)\nsecond\"", 0,
           "h.h: ; first [a]\n", "h.h: ; second\n", "=err:"},
          // A bad value is a usage error and writes nothing.
          {points + "save {d}/p.nc spindle=100001", 2},
          {points + "save {d}/p.nc offset=-1", 2},
          {points + "save {d}/p.nc r=2", 2},
          {points + "save {d}/p.nc bogus=1", 2},
          {"load {d}/p.nc", 1},
          {points + "save {d}/x/y.nc", 1, "err:Error message:  Can not open file"},
          {"layerinfo 0 tool=0 spindle=0; add 1 0 0 5 0; layer 1; layerinfo 1 tool=0 spindle=0; "
           "add 1 1 1 5 0; savelayers {d}/l.nc 1 0",
           0,
           "=l.nc:%\nG90G00G17\nG00X1.000Y1.000Z5.000\nG90G00G17\nG00X0.000Y0.000\nM09\nM30\n%"
           "\n"},
          {"add 1 0 0 5 0; savelayers {d}/l.nc 7-3 abc", 1},
          {"$ convert {d}/in.nc -o {d}/c.nc --incremental=1 --tool 0 --spindle=0", 0,
           "=c.nc:%\nG90G00G17\nG00X0.000Y0.000Z5.000\nG91G01X1.5F200\nX1.5\nM09\nM30\n%\n",
           "!err:would open"},
          {"$ convert {d}/none.nc -o {d}/c.nc", 1},
          // The program names no tool: no tool change, the spindle as given.
          {"$ post {d}/in.nc -o {d}/p.nc --ppr {ex}/default.ppr --spindle=800", 0,
           "^p.nc:%\nO0\nN0G90G17G00X0.000Y0.000Z5.000\nN1S800M03\nN"},
          {"add 3 1 2 3 100; post {d}/p.nc ppr={d}/t.ppr ?X=42.5 tool=3 program=5", 0,
           "=p.nc:N0 X42.500 F100\n"},
          {"ppr save {d}/saved.ppr from={d}/t.ppr", 0,
           "saved.ppr:\r\n[NewCut]\r\nN$N X?X F?F\r\n[End]\r\n"},
          {"ppr save {d}/saved.ppr from={d}/nothing", 1},
          {"add 3 1 2 3 100; post {d}/q.nc ppr={d}/empty.ppr", 1,
           "err:defines no section; nothing written", "=q.nc:"},
          {"post {d}/q.nc ppr={d}", 1, "err:is a folder", "=q.nc:"},
      },
      {{"in.nc", "G00X0Y0Z5.\nG01X1.5F200\nX3.\nM30\n"},
       {"t.ppr", "[NewCut]\nN$N X?X F?F\n[End]\n"},
       {"empty.ppr", ""}},
      {"savelayers {d}/l.nc", "$ convert {d}/in.nc", "$ convert {d}/in.nc -o {d}/c.nc extra",
       "post {d}/p.nc ?Q=1", "post {d}/p.nc ?X=abc", "post {d}/p.nc spindle=-5",
       "ppr load {d}/t.ppr"});
}

// Values a record cannot hold are limited and said, by the classic read too; a G code extended
// reading does not run makes no move; a cut without a feed is never written.
TEST(Verbs, ReadLimitsAndCutsWithoutFeed) {
  RunTable(
      {
          {"load {d}/feeds.nc; dump; save {d}/o.nc editor=0 tool=0 spindle=0 verify=1", 0,
           "=err:Help: The classic read limited feeds a record cannot hold, stored as 32767 "
           "(above) or 1 (below 1), in 2 blocks (first line 3).\n",
           "out:3 10.0000 0.0000 1.0000 32767 0\n", "o.nc:G01X10.000F32767\n", "o.nc:X30.000F1\n",
           "!o.nc:F-", "!o.nc:F0\n"},
          {"ncset extended=1; load {d}/far.nc; dump 2", 0,
           "=err:Help: Extended reading passed over coordinates a record cannot hold, stored "
           "as +/-32700, in 3 blocks (first line 3).\n",
           "out:2 4 32700.0000 0.0000 0.0000 100 0\n"},
          {"load {d}/far.nc; save {d}/far-out.nc editor=0 tool=0 spindle=0 verify=1", 0,
           "err:coordinates a record cannot hold", "far-out.nc:X32700.000"},
          {"ncset extended=1; load {d}/g47.nc; info", 0,
           "err:G47 not run (no move) in 1 blocks (first line 3)", "out:\"count\":2"},
          {"load {d}/nofeed.nc; save {d}/n.nc editor=0", 1,
           "err:record 1 (X10.000 Y0.000 Z5.000) has feed 0", "=n.nc:"},
          {"load {d}/nofeed.nc; post {d}/n.nc ppr={ex}/default.ppr", 1, "err:has feed 0", "=n.nc:"},
          {"load {d}/nofeed.nc; savelayers {d}/n.nc 0", 1, "err:has feed 0", "=n.nc:"},
      },
      {{"feeds.nc", "G21 G90 G94\nG0 X0 Y0 Z1\nG1 X10 F40000\nG1 X20 F180.18\nG1 X30 F0.5\nM30\n"},
       {"far.nc", "G00X0Y0Z10\nG01Z0F100\nX40000\nY10\nG00Z10\n"},
       {"g47.nc",
        "G20 G90 G0 X0 Y0 Z1.\nX.01 Y-2.95\n"
        "G47 P0 (TEXT) X.01 Y-2.95 I0. J0.1 R0.05 Z-0.005 F15. E10.\nG0 Z1.\nM30\n"},
       {"nofeed.nc", "G0 X0 Y0 Z5\nG1 X10\n"}});
}

TEST(Verbs, VerifyAfterWriting) {
  const std::string points = "add 1 0 0 5 0; add 3 1 2 5 100; ";
  RunTable(
      {
          // A program that reads back as written: nothing more is said.
          {points + "save {d}/o.nc editor=0 verify=1", 0, "=out:", "=err:"},
          {points + "save {d}/o.nc editor=0 verify=2", 2},
          // verify=1 may stand among the layer list's words.
          {points + "savelayers {d}/l.nc 0 verify=1 0", 0, "=err:"},
          {"$ convert {d}/in.nc -o {d}/c.nc --verify=1", 0, "=err:"},
          {"$ convert {d}/in.nc -o {d}/c.nc --verify 1 --r=0", 0, "=err:"},
          // A template that leaves Y out writes a program that reads back otherwise: the
          // command fails with the count and the first difference, and the file stays.
          {points + "post {d}/p.nc ppr={d}/t.ppr verify=1", 1,
           "err:post: The program read back from",
           "err:does not match the toolpath: 2 difference(s)",
           "err:First difference: record 0: expected G00 X0.000 Y0.000 Z5.000, read nothing",
           "=p.nc:N0X1.000\n"},
          {"$ post {d}/in.nc -o {d}/p2.nc --ppr {d}/t.ppr --verify=1", 1, "^p2.nc:N0X"},
      },
      {{"in.nc", "G00X0Y0Z5.\nG01X1.5F200\nG03X3.5Y2.R2.\nG01X4.\nG00Z9.\nM30\n"},
       {"t.ppr", "[NewCut]\nN$NX$X\n[End]\n"}});
}

// The setup a program said up to its first cut (units, work offset, plane, length offset,
// coolant, spindle direction) stays with its toolpath and is written again by every output.
TEST(Verbs, SetupTravelsWithTheToolpath) {
  const std::string g20 = "load {d}/g20.nc; ";
  RunTable(
      {
          // Every reader keeps it: classic and extended, ISO and Heidenhain.
          {g20 + "layerinfo 0", 0, "out:setup=\"G20 G55 G17 H2 M08 M04\""},
          {"ncset extended=1; " + g20 + "layerinfo 0", 0, "out:setup=\"G20 G55 G17 H2 M08 M04\""},
          {"load {d}/p3.nc; layerinfo 0", 0, "out:setup=\"G21 G54.1P3\""},
          {"ncset extended=1; load {d}/p3.nc; layerinfo 0", 0, "out:setup=\"G21 G54.1P3\""},
          {"ncset hhin=1; load {d}/inch.h; layerinfo 0", 0, "out:setup=\"G20 G17 H1 M08 M03\""},
          {"ncset extended=1; load {d}/inch.h; layerinfo 0", 0, "out:setup=\"G20 G17 H1 M08 M03\""},
          // A program without these words, and points made by commands, have none.
          {"load {d}/plain.nc; layerinfo 0", 0, "!out:setup="},
          // The fixed ISO header says the units and the offset before the start block, the
          // coolant after the spindle, in the source's direction; verify reads them back.
          {g20 + "save {d}/o.nc editor=0 verify=1 tool=0 spindle=100", 0,
           "^o.nc:%\nO20\nG20G55\nG90G00G17\nS100M04\nM08\nG00X0.000Y0.000Z1.000\nG01X1.000F20\n",
           "=err:"},
          {"load {d}/p3.nc; save {d}/o.nc editor=0 verify=1 tool=0 spindle=0 incremental=1", 0,
           "^o.nc:%\nG21G54.1P3\nG90G00G17\n"},
          // The Heidenhain header takes the units from the source.
          {"ncset hhin=1; load {d}/inch.h; save {d}/h.nc editor=0 heidenhain=1 verify=1", 0,
           "^h.nc:1 BEGIN PGM 0 INCH\n", "h.nc: END PGM 0 INCH\n", "=err:"},
          {"ncset hhin=1; load {d}/inch.h; save {d}/i.nc editor=0 heidenhain=0 verify=1", 0,
           "i.nc:G20\nG90G00G17\n", "=err:"},
          // Layer output: each layer says its own where it differs from the one before.
          {g20 + "layer 1; load {d}/p3.nc; savelayers {d}/l.nc 0 1 verify=1", 0,
           "l.nc:G20G55\nG90G00G17\n", "l.nc:G21G54.1P3\nG90G00G17\n", "!err:differs"},
          // A start part from another program names other units and offset: verify says so.
          {g20 + "save {d}/s.nc editor=0 verify=1 startend={d}/p3.nc", 1,
           "err:units and work offset: expected G20 G55, read G21 G54.1P3"},
          // Undo of a load brings the setup back with the toolpath; a copy takes it along.
          {g20 + "load {d}/p3.nc; undo; layerinfo 0", 0, "out:setup=\"G20 G55 G17 H2 M08 M04\""},
          {g20 + "load {d}/p3.nc; undo; redo; layerinfo 0", 0, "out:setup=\"G21 G54.1P3\""},
          {"$ --answer ok -c load {d}/g20.nc; copylayer 0 4; layerinfo 4", 0,
           "out:setup=\"G20 G55 G17 H2 M08 M04\""},
          // An appended program keeps the first one's setup.
          {g20 + "append {d}/p3.nc; layerinfo 0", 0, "out:setup=\"G20 G55 G17 H2 M08 M04\""},
          // The post-processor: the shipped templates are installed on first use and write the
          // setup; every one reads back as the toolpath.
          {"settings PostDir={d}/post; " + g20 + "post {d}/o0.nc verify=1", 0,
           "^o0.nc:%\nO20\nG20G55\nN0G90G17G00", "o0.nc:S1000M04\nM08\n",
           "=err:", "post/default.ppr:[Start]", "post/fanuc-haas.ppr:[Start]"},
          {"settings PostDir={d}/post; " + g20 + "post {d}/o1.nc ppr=fanuc-haas verify=1", 0,
           "o1.nc:G20G55\nN1G17G40G49G80G90\n", "=err:"},
          {"settings PostDir={d}/post; " + g20 + "post {d}/o2.nc ppr=linuxcnc verify=1", 0,
           "o2.nc:%\nG20 G55\nG17 ", "=err:"},
          {"settings PostDir={d}/post; " + g20 + "post {d}/o3.nc ppr=heidenhain verify=1", 0,
           "^o3.nc:0 BEGIN PGM 20 INCH\n", "o3.nc:END PGM 20 INCH", "=err:"},
          {"settings PostDir={d}/post; load {d}/p3.nc; post {d}/o4.nc ppr=fanuc-haas verify=1", 0,
           "o4.nc:G21G54.1P3\n", "=err:"},
          {"settings PostDir={d}/post; ncset hhin=1; load {d}/inch.h; post {d}/o5.nc "
           "ppr=heidenhain verify=1",
           0, "o5.nc:BEGIN PGM 0 INCH", "o5.nc:M03 M08", "=err:"},
          // A template that is not there is said to be missing.
          {g20 + "post {d}/q.nc ppr={d}/none.ppr", 1,
           "err:The post-processor template does not exist", "err:'{d}/none.ppr' does not exist"},
      },
      {{"g20.nc",
        "%\nO20\nG20G90G17\nG55\nG00X0Y0Z1.\nG43H2Z1.M04\nM08\nG01X1.F20\nG03X2.Y1.R1.\n"
        "G00Z2.\nM30\n%\n"},
       {"p3.nc", "G21\nG54.1P3\nG00X5Y5Z10.\nG01Z0.F300\nX8.\nM30\n"},
       {"plain.nc", "G00X0Y0Z5.\nG01X1.F100\nM30\n"},
       {"inch.h",
        "0 BEGIN PGM 7 INCH\n1 TOOL CALL 1 Z S1000\n2 L X+0 Y+0 Z+1 F6000 M3 M8\n"
        "3 L X+1 F20\n4 L Y+1\n5 END PGM 7 INCH\n"}});
}

// The TNC style of the Heidenhain output: block number, blank, function; signed words; the
// program named after its file; the blank from the extent; FMAX rapids. Remembered.
TEST(Verbs, HeidenhainTncStyle) {
  const std::string points = "add 1 0 0 5 0; add 3 10 -5 5 500; add 3 10 -5 -1 200; ";
  RunTable(
      {
          {points + "save {d}/part.h editor=0 heidenhain=1 hstyle=tnc tool=3 spindle=800 verify=1",
           0,
           "=part.h:0 BEGIN PGM part MM\n1 BLK FORM 0.1 Z X-1.000 Y-6.000 Z-2.000\n"
           "2 BLK FORM 0.2 X+11.000 Y+1.000 Z+6.000\n3 TOOL CALL 3 Z S800\n"
           "4 L X+0.000 Y+0.000 Z+5.000 R0 FMAX M3 M8\n5 L X+0.000 Y+0.000 Z+5.000 R0 FMAX\n"
           "6 L X+10.000 Y-5.000 R0 F500\n7 L Z-1.000 R0 F200\n8 L Z+5.000 R0 FMAX M5 M9\n"
           "9 END PGM part MM\n",
           "=err:"},
          // Remembered: the next Heidenhain output is in the same style; ncset shows it.
          {points + "save {d}/a.h editor=0 heidenhain=1 hstyle=tnc program=12; save {d}/b.h "
                    "editor=0 heidenhain=1 verify=1; ncset",
           0, "^a.h:0 BEGIN PGM 12 MM\n", "^b.h:0 BEGIN PGM b MM\n", "out:HeidenhainStyleChk 1"},
          {points + "save {d}/c.h editor=0 heidenhain=1 hstyle=classic", 0,
           "^c.h:1 BEGIN PGM 0 MM"},
          {points + "save {d}/c.h heidenhain=1 hstyle=iso", 2},
          // An inch program keeps its unit in the TNC style too, and reads back as written.
          {"ncset hhin=1; load {d}/inch.h; save {d}/i.h editor=0 heidenhain=1 hstyle=tnc verify=1",
           0, "^i.h:0 BEGIN PGM i INCH\n", "i.h:END PGM i INCH\n", "=err:"},
      },
      {{"inch.h",
        "0 BEGIN PGM 7 INCH\n1 TOOL CALL 1 Z S1000\n2 L X+0 Y+0 Z+1 F6000 M3 M8\n"
        "3 L X+1 F20\n4 CC X+1 Y+1\n5 C X+2 Y+1 DR+\n6 END PGM 7 INCH\n"}});
}

TEST(Verbs, FeedConditions) {
  RunTable(
      {
          {"lmx set MaxFeed=1200 CornerMaxReduction=0.15 CorWeight30=0.6 Material=ALU; "
           "lmx set LmxByMaster=1; mma part; lmx set lmxbymaster=1; transfer; "
           "transfer max=2000 min=500; lmx save {d}/c.lmx; lmx show",
           0, "err:LmxByMaster stays 0", "out:MMA : part.mma\n",
           "out:max 1200 min 180 MaxFeed 1200 CornerMaxReduction 0.150000 "
           "SlopeMaxReduction 0.300000\n",
           "out:max 2000 min 500 MaxFeed 2000 CornerMaxReduction 0.250000 "
           "SlopeMaxReduction 0.500000\n",
           "out:\nMaterial ALU\nLmxByMaster 1\n", "out:\nCorWeight30 0.600000\n"},
          // A file never switches master control on.
          {"lmx load {d}/c.lmx; lmx show", 0, "out:\nMaxFeed 2000\n",
           "out:\nMaterial ALU\nLmxByMaster 0\n"},
          {"lmx load /no/such/file.lmx", 1},
          {"lmx load {d}", 1, "err:This is a folder", "err:line 1: lmx load: '{d}' is a folder"},
          {"master load {d}", 1, "err:line 1: master load: '{d}' is a folder"},
          {"lmx save {d}/no/dir/c.lmx", 1},
          {"mma", 0, "=out:MMA : \n"},
          {"$ --answer ok -c add 1 0 0 10 0; add 3 0 0 0 500; add 4 4 0 4 500; add 1 0 2 10 0; "
           "add 3 0 2 0 500; add 4 4 2 4 500; master create tol=1; master save {d}/m.mma; "
           "master show; master delete; master load {d}/m.mma; master show",
           0,
           "=out:master 5 x 3 cells (15), cell size 1.000000, shown 1\n"
           "master 5 x 3 cells (15), cell size 1.000000, shown 0\n"
           "master 5 x 3 cells (15), cell size 1.000000, shown 1\n"
           "master 5 x 3 cells (15), cell size 1.000000, shown 0\n"},
          {"master load {d}/short.mma", 1, "err:master load: ", "err:shorter than its header"},
          {"add 1 0 0 0 0; master create", 1},
      },
      {{"short.mma", std::string(150, '\0')}},
      {"lmx set MaxFeed=3000000000", "lmx set", "lmx peek", "transfer max=-1",
       "master create tol=0", "master", "master grow"});

  // `lmx set` is all or nothing, and a bad value is a usage error.
  std::ostringstream out, err;
  cli::Session s(out, err);
  const CuttingConditions& c = s.app.FeedControl().channels[1].conditions;
  for (const char* bad :
       {"CorWeight0=abc", "Nope=1", "FeedChgAng=0", "ConCorChk=2", "Material=", "ZupZdown=1e60"}) {
    EXPECT_EQ(RunWords(s, std::string("lmx set MaxFeed=1200 ") + bad), 2) << bad;
    EXPECT_EQ(c.MaxFeed, CuttingConditions{}.MaxFeed) << bad;
  }
  EXPECT_EQ(ConditionsFileText(c, Language::English),
            ConditionsFileText(CuttingConditions{}, Language::English));
}

TEST(Verbs, Delete) {
  // One cutting run along X in the top view at one pixel per unit: (x, 0) is at (100 + x, 100).
  const std::string run =
      "add 1 0 0 50 0; add 2 0 0 0 0; add 3 10 0 0 500; add 4 20 0 0 500; add 4 30 0 0 500; "
      "add 4 40 0 0 500; view top; view size 200 200; ";
  RunTable(
      {
          // A one-pixel window on (20, 0), then the picked point 2: the cut to (10, 0).
          {run + "delete window 120 100 120 100; delete point 2; dump 2 5", 0,
           "=out:2 2 10.0000 0.0000 100.0000 500 0\n3 2 30.0000 0.0000 100.0000 500 0\n"
           "4 2 30.0000 0.0000 0.0000 500 0\n5 3 40.0000 0.0000 0.0000 500 0\n"},
          {run + "delete point 99", 1, "err:line 9: delete point: point 99 is beyond the toolpath"},
          {"add 1 0 0 50 0; add 3 10 0 0 500; add 6 20 0 0 500; add 91 5 0 0 0; delete path 3", 1,
           "err:line 5: delete path: record 3 is not a motion point"},
          // Commands that rightly do nothing say so and the script goes on.
          {"add 1 0 0 50 0; add 3 10 0 0 500; delete polygon 1 2 3 4; delete selected; "
           "delete alternate; dump",
           0,
           "err:delete polygon: a polygon needs 3 to 99 vertices (nothing changed)\n"
           "delete selected: nothing is selected (nothing changed)\n"
           "delete alternate: there is no second path (nothing changed)\n",
           "=out:0 1 0.0000 0.0000 50.0000 0 0\n1 3 10.0000 0.0000 0.0000 500 0\n"},
          // The document's cutting feed is 300 until a program or an edit has set it.
          {"add 1 0 0 50 0; add 2 0 0 0 0; add 3 0 0 -5 500; add 4 10 0 -5 500; add 4 10 0 -10 "
           "500; "
           "delete zangle 0 30 4; dump 3 6",
           0,
           "=out:3 1 0.0000 0.0000 100.0000 300 0\n4 2 10.0000 0.0000 100.0000 300 0\n"
           "5 2 10.0000 0.0000 -5.0000 300 0\n6 3 10.0000 0.0000 -10.0000 300 0\n"},
          {run + "delete all; dump; undo; dump 5", 0, "=out:5 4 40.0000 0.0000 0.0000 500 0\n"},
          {"delete xyangle 90 0", 2, "err:T must lie above 0 and up to 180"},
      },
      {}, {"delete polygon 1 2 3", "delete"});
}

TEST(Verbs, FeedRun) {
  RunTable(
      {
          {"add 1 0 0 5 0; add 3 0 0 0 100; add 4 50 0 0 100; add 4 50 50 0 100; optimize; "
           "optimize extra",
           2, "out:optimize: 4 points -> 6 points, 2 moves slowed, cutting time ",
           "out:\noptimize: machine time "},
          {"$ optimize {d}/in.nc -o {d}/out.nc --lmx {ex}/steel-finish.lmx", 0,
           "out:cutting time before: ", "out:cutting time after: ", "out:moves slowed: ",
           "out:\nmachine time before: ", "out.nc:G01Z-1.000F300"},  // the plunge feed
          // A master-model file that cannot be loaded is said and switches master control off.
          {"$ optimize {d}/in.nc -o {d}/out.nc --mma {d}/none", 0, "err:Error message: "},
          {"$ optimize {d}/in.nc -o {d}/out.nc --lmx {d}/missing.lmx", 1},
          // Conditions without a usable feed never reach a program: nothing is written.
          {"$ optimize {d}/in.nc -o {d}/none.nc --lmx {d}/empty.lmx", 1, "err:no usable feed",
           "err:'{d}/empty.lmx' holds no cutting conditions", "=none.nc:"},
          {"$ optimize {d}/in.nc -o {d}/none.nc --lmx {d}", 1, "err:is a folder", "=none.nc:"},
          {"load {d}/in.nc; lmx set MaxFeed=0; optimize", 1,
           "err:line 3: optimize: MaxFeed 0 gives no feed"},
          {"$ run {ex}/pocket-finish.tvs", 0, "^out:{\"count\":16,"},
          // Feeds from the material bounded by the radial engagement: the full-width slot
          // (and the step across its end) at half the feed, the pass taking 1 mm of the wall
          // at the full feed.
          {"tool flat d=10; stock 0,0,-10,100,100,0; add 1 20 50 5 0; add 3 20 50 -2 1000; "
           "add 4 80 50 -2 1000; add 4 80 51 -2 1000; add 4 25 51 -2 1000; "
           "lmx set MaxFeed=2000 MaxRadialEngagement=5; optimize mode=material; dump 2",
           0,
           "out:optimize: 2 cuts held by their engagement, axial depth up to 2.000 mm, radial "
           "engagement up to 10.000 mm\n",
           "out:\n2 4 80.0000 50.0000 -2.0000 1000 0\n",
           "out:\n4 4 25.0000 51.0000 -2.0000 2000 0\n"},
          {"tool flat d=10; add 1 20 50 5 0; add 3 20 50 -2 1000; optimize mode=material", 1,
           "err:MaxAxialDepth or MaxRadialEngagement"},
      },
      {{"in.nc", "G00 X0 Y0 Z10\nG01 Z-1 F100\nX50\nY50\nX100\nG00 Z10\nM30\n"}, {"empty.lmx", ""}},
      {"$ optimize {d}/in.nc", "$ optimize {d}/in.nc -o",
       "$ optimize {d}/in.nc {d}/in.nc -o {d}/out.nc",
       "$ optimize {d}/in.nc -o {d}/out.nc --fast"});
}

TEST(Verbs, OffsetAndCleanups) {
  const std::string cut =
      "add 1 0 0 10 0; add 3 0 0 0 100; add 4 20 0 0 100; add 4 40 0 0 100; add 4 60 0 0 100; "
      "retract 10; view top; view size 200 100; ";
  RunTable(
      {
          {cut + "offset box 30 -5 50 5 0 0 5; dump 3 7", 0,
           "=out:3 4 30.0000 0.0000 0.0000 100 0\n4 4 30.0000 0.0000 5.0000 100 0\n"
           "5 4 40.0000 0.0000 5.0000 100 0\n6 4 50.0000 0.0000 5.0000 100 0\n"
           "7 4 50.0000 0.0000 0.0000 100 0\n"},
          // The same cut by a window (top view: model x 30 to 50), a circle and a file.
          {cut + "offset window 130 45 150 55 0 0 5; dump 4 4", 0,
           "=out:4 4 30.0000 0.0000 5.0000 100 0\n"},
          {cut + "offset circle 40 0 0 10 0 0 5; dump 4 4", 0,
           "=out:4 4 30.0000 0.0000 5.0000 100 0\n"},
          {cut + "offset file {d}/box.poi 0 0 5; dump 4 4", 0,
           "=out:4 4 30.0000 0.0000 5.0000 100 0\n"},
          {cut + "offset polygon 0 0 5 130 45 150 45 150 55 130 55; undo; dump 2 2", 0,
           "=out:2 4 20.0000 0.0000 0.0000 100 0\n"},
          // Regions that select nothing change nothing and are no failure.
          {cut + "offset window 130 45 131 55 0 0 5; offset polygon 0 0 5 1 1 2 2; "
                 "offset box 100 0 110 10 0 0 5; dump 2 2",
           0, "err:offset: the window is narrower or lower than 2 pixels",
           "err:region selects nothing (nothing changed)",
           "err:no point of the toolpath lies inside the region (nothing changed)",
           "=out:2 4 20.0000 0.0000 0.0000 100 0\n"},
          {cut + "offset box 30 -5 50 5 0 0 40000", 1, "err:offset: the offset would move"},
          {"offset file {d}/none.poi 0 0 5", 1, "err:Error message: "},
          {"retract; retract -2.5; retract", 0, "=out:100.000\n-2.500\n"},
          {"add 1 0 0 5 0; add 3 0 0 0 100; add 1 50 0 0 0; add 3 50 0 -1 100; retract 20; "
           "rapidrebuild; regenerate; dump 3 5",
           0,
           "=out:3 1 0.0000 0.0000 20.0000 100 0\n4 2 50.0000 0.0000 20.0000 0 0\n"
           "5 2 50.0000 0.0000 0.0000 0 0\n"},
          {"rapidrebuild; regenerate", 0, "err:rapidrebuild: the toolpath is empty"},
      },
      {{"box.poi", "start\n30 -5 0\n50 -5 0\n50 5 0\n30 5 0\nend\n"}},
      {"offset box 1 2 3 4 5 6", "offset polygon 0 0 5 1 2 3", "offset cube 0 0 5", "retract nan",
       "retract 40000", "regenerate now"});
}

TEST(Verbs, PathOrder) {
  // Two paths: a line, then a line and a counter-clockwise arc.
  const std::string two =
      "add 1 0 0 50 0; add 2 0 0 0 0; add 3 10 0 0 100; add 1 10 0 50 0; add 2 20 0 50 0; "
      "add 2 20 0 0 0; add 3 30 0 0 200; add 6 40 0 0 200; add 91 5 0 0 200; ";
  RunTable(
      {
          // The path of record 6 runs the other way in its place; the arc turns about its centre.
          {two + "reverse path 6; dump 4", 0,
           "=out:4 2 40.0000 0.0000 100.0000 0 0\n5 2 40.0000 0.0000 0.0000 0 0\n"
           "6 8 30.0000 0.0000 0.0000 200 0\n7 91 -5.0000 0.0000 0.0000 200 0\n"
           "8 3 20.0000 0.0000 0.0000 200 0\n"},
          // Commands that rightly do nothing say so and the script goes on.
          {two + "reverse dir=0; reverse scope=polygon 1 1 2 2 3 3; transform move dx=5 "
                 "scope=selected; zupdown; sort mode=4; dump 8",
           0, "err:reverse: direction, order and two-way are all off (nothing changed)",
           "err:reverse: the polygon input gives no polygon",
           "err:transform move: no point is selected (nothing changed)",
           "err:zupdown: no path climbs (nothing changed)",
           "err:sort: no way between two close paths to change (nothing changed)",
           "=out:8 91 5.0000 0.0000 0.0000 200 0\n"},
          {two + "view iso1; startpoints open 10 10", 1,
           "err:line 11: startpoints: start points are clicked in the top, front or side view"},
          // The reversed path's first point takes the document's cutting feed (300 at first).
          {two + "view top; view size 400 400; startpoints open 240 200 199 200; dump 3 5", 0,
           "=out:3 1 10.0000 0.0000 100.0000 0 0\n4 2 40.0000 0.0000 100.0000 300 0\n"
           "5 2 40.0000 0.0000 0.0000 300 0\n"},
          {two + "transform mirror sx=-1 copies=3; dump 17", 0,
           "=out:17 8 -40.0000 0.0000 0.0000 200 0\n18 91 -5.0000 0.0000 0.0000 200 0\n"},
          {two + "sort mode=3 dist=100; undo; dump 3 3", 0,
           "=out:3 1 10.0000 0.0000 50.0000 0 0\n"},
          // Options not given keep their last use (dx=5), but copies only come when asked for.
          {two + "transform move dx=5 copies=1; transform move; info; dump 0 0", 0,
           "out:{\"count\":19,", "out:0 1 5.0000 0.0000 100.0000 0 0\n"},
          {"reverse 10 10", 2, "err:window positions are only given with scope=polygon"},
          {"startpoints open 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 "
           "27 28 29 30 31 32 33 34 35 36 37 38 39 40 41 42",
           2, "err:at most 20 start points"},
          {"sort mode=5", 2, "err:sort: mode must lie in 1 to 4"},
          {"transform rotate", 2, "err:angle=A is needed"},
      },
      {},
      {"reverse scope=some", "reverse path -1", "startpoints open 1 2 3", "startpoints near 1 2",
       "sort height=-2", "zupdown angle=91", "transform move dx=1 copies=0", "transform turn"});
}

// info --json reports every file, a file that cannot be read among them; diff tells the kinds
// of difference apart and answers with diff(1)'s exit status; machine.par in ConfigDir steers
// the machine time (the first row points ConfigDir at a folder without one: the defaults).
TEST(Verbs, InfoJsonAndDiff) {
  const std::string start = "G00 X0 Y0 Z10\nG01 Z-1 F200\n", end = "G00 Z10\n";
  RunTable(
      {
          {"settings ConfigDir={d}/none save", 0},
          {"$ info --json {d}/a.nc {d}/missing.nc {d}/feed.nc", 1,
           "^out:{\"file\":\"{d}/a.nc\",\"count\":7,\"max_feed\":200,",
           "out:\"arc_length\":0.000000,\"machine_time\":0.807887,\"rapid_time\":0.002854}\n"
           "{\"file\":\"{d}/missing.nc\",\"error\":\"cannot open '{d}/missing.nc'\"}\n"
           "{\"file\":\"{d}/feed.nc\",\"count\":7,\"max_feed\":300,",
           "out:\"machine_time\":0.724558,\"rapid_time\":0.002854}\n"},
          {"$ diff {d}/a.nc {d}/a.nc", 0, "out:moves: 7 -> 7\n", "out:the toolpaths are the same"},
          {"$ diff {d}/a.nc {d}/feed.nc", 1,
           "=out:moves: 7 -> 7\nmoved points: 0\nchanged feeds: 1\nchanged motion kinds: 0\n"
           "added moves: 0\nremoved moves: 0\ncutting length: 161.000 mm -> 161.000 mm\n"
           "cutting time: 0.805 min -> 0.722 min\nmachine time: 0.808 min -> 0.725 min\n"
           "the toolpaths differ\n"},
          {"$ diff {d}/a.nc {d}/removed.nc --json", 1,
           "^out:{\"file_a\":\"{d}/a.nc\",\"file_b\":\"{d}/removed.nc\",\"tolerance\":0.001000,"
           "\"same\":false,\"moves_a\":7,\"moves_b\":6,\"moved\":0,\"feed_changed\":0,"
           "\"motion_changed\":0,\"added\":0,\"removed\":1,",
           "out:\"differences\":[\n{\"type\":\"removed\",\"a\":2,\"a_pos\":[25.0000,0.0000,"
           "-1.0000],\"a_feed\":200,\"a_motion\":\"line\"}\n],\"truncated\":false}\n"},
          {"$ diff {d}/a.nc {d}/moved.nc --json", 1, "out:\"moved\":1,\"feed_changed\":0,",
           "out:[\n{\"type\":\"moved\",\"a\":4,\"a_pos\":[50.0000,50.0000,-1.0000],\"a_feed\":200,"
           "\"a_motion\":\"line\",\"b\":4,\"b_pos\":[50.0000,50.0100,-1.0000],\"b_feed\":200,"
           "\"b_motion\":\"line\"}\n]"},
          {"$ diff {d}/a.nc {d}/moved.nc --tolerance=0.02", 0},  // within the tolerance
          {"$ diff {d}/a.nc {d}/missing.nc", 2, "err:trevalon-cli diff: cannot open"},
          // A slow machine: Z's 11 mm rapid never passes 10.5 mm/s at 10 mm/s^2.
          {"settings ConfigDir={d} save; info; load {d}/a.nc; info", 0,
           "out:\"machine_time\":0.000000,\"rapid_time\":0.000000}\n",
           "out:\"machine_time\":0.856852,\"rapid_time\":0.034960}\n"},
      },
      {{"a.nc", start + "X25\nX50\nY50\nX0\n" + end},
       {"feed.nc", start + "X25\nX50\nY50 F300\nX0 F200\n" + end},
       {"removed.nc", start + "X50\nY50\nX0\n" + end},
       {"moved.nc", start + "X25\nX50\nY50.01\nX0 Y50\n" + end},
       {"machine.par", "RapidX 1000\nRapidY 1000\nRapidZ 1000\nAccelX 10\nAccelY 10\nAccelZ 10\n"}},
      {"$ info --json", "$ diff {d}/a.nc", "$ diff {d}/a.nc {d}/a.nc --tolerance=-1",
       "$ diff {d}/a.nc {d}/a.nc --fast"});
}

// With a fresh home and system directory, commands that only read leave no file behind (the
// first save making the program's folder: the settings' tests); a system directory that is a
// file is an error.
TEST(CliMain, ReadingCreatesNothingAndASystemDirectoryThatIsAFileIsAnError) {
  TempDir home;
  const char* saved = std::getenv("HOME");
  const std::string oldHome = saved ? saved : "";
  setenv("HOME", home.path().c_str(), 1);
  const std::string sys = home.file("sys"), nc = std::string(TREVALON_TEST_DATA) + "/helix.nc";
  EXPECT_EQ(RunCli({"--sysdir", sys, "info", nc}).status, 0);
  EXPECT_EQ(RunCli({"--sysdir", sys, "dump", nc}).status, 0);
  EXPECT_EQ(RunCli({"--sysdir", sys, "-c", "load " + nc + "; ncset; settings; lmx show"}).status,
            0);
  EXPECT_TRUE(std::filesystem::is_empty(home.path()));
  std::ofstream(home.file("plain")) << "x";
  auto r = RunCli({"--sysdir", home.file("plain"), "-c", "ncset"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is not a folder"), std::string::npos) << r.err;
  saved ? setenv("HOME", oldHome.c_str(), 1) : unsetenv("HOME");
}

TEST(Verbs, Generate) {
  RunTable(
      {
          // Options not given keep the values of the verb's last use; radial and spiral share.
          {"generate face step=20; info; generate face; info", 0, "out:{\"count\":36,",
           "out:{\"count\":72,"},
          {"generate radial outer=0; dump; generate spiral; info", 0,
           "out:0 1 0.0000 0.0000 100.0000"},
          {"generate face kind=3 xmax=-200", 0,
           "err:generate face: the face has no area (nothing changed)"},
          {"generate face dir=5", 2, "err:dir lies in 1 to 4"},
      },
      {}, {"generate spiral step=0", "generate cube"});
}

TEST(Verbs, Trim) {
  const std::string cut =
      "add 1 0 0 10 0; add 3 0 0 -1 500; add 4 100 0 -1 500; view top; view size 800 600; ";
  // Cut to the region, up to the retract height, over, down, and on: by a box, and by the same
  // box as a window of the top view (1 pixel per unit, the origin in the middle).
  const std::string trimmed =
      "out:3 4 40.0000 0.0000 -1.0000 500 0\n4 1 40.0000 0.0000 100.0000 500 0\n"
      "5 2 60.0000 0.0000 100.0000 500 0\n6 2 60.0000 0.0000 -1.0000 500 0\n"
      "7 3 100.0000 0.0000 -1.0000 500 0\n";
  const std::string untouched =
      "=out:0 1 0.0000 0.0000 10.0000 0 0\n1 3 0.0000 0.0000 -1.0000 500 0\n"
      "2 4 100.0000 0.0000 -1.0000 500 0\n";
  std::vector<Row> rows = {
      {cut + "trim box 40 -10 60 10 inside; dump", 0, trimmed},
      {cut + "trim window 440 290 460 310 inside; dump", 0, trimmed},
      {cut + "trim zband -0.5 20; dump", 0, "^out:0 1 ", "!out:-1.0000"},
      {cut + "trim file /nonexistent/x.poi outside", 1, "err:/nonexistent/x.poi"},
  };
  // A window whose corners lie less than 2 pixels apart or off the view, a polygon of two
  // vertices: nothing changes and the script goes on. Malformed words are usage errors.
  for (const char* refused : {"trim window 440 290 441 310 inside",
                              "trim window -1 290 460 310 inside", "trim polygon inside 1 1 5 5"})
    rows.push_back({cut + refused + "; dump", 0, "err:(nothing changed)", untouched});
  for (const char* bad :
       {"trim box 1 2 3 inside", "trim box 1 2 3 4 middle", "trim circle a 0 0 5 inside",
        "trim polygon inside 1 2 3", "trim zband 1", "trim cone 1 2"})
    rows.push_back({cut + bad, 2});
  RunTable(rows);
}

// Hostile numbers and region files: each is refused with its reason and the status of its
// kind (1 a refused command, 2 a bad word), or normalised and said so; what a refused command
// would have changed stays as it was.
TEST(Verbs, HostileNumbersAndRegions) {
  const std::string load = "load {ex}/core-insert-finish.nc; ";
  const std::string lmx = ReadAll(std::string(TREVALON_EXAMPLES) + "/steel-finish.lmx");
  auto swapped = [&](const std::string& from, const std::string& to) {
    std::string t = lmx;
    return t.replace(t.find(from), from.size(), to);
  };
  const std::map<std::string, std::string> files = {
      {"square.poi", "start\n-200 -200 0\n200 -200 0\n200 0 0\n200 200 0\n-200 200 0\nend\n"},
      {"nan.poi", "start\n-200 -200 0\nnan 0 0\n200 200 0\nend\n"},
      {"reduction.lmx", swapped("코너최대감속비 0.300000", "코너최대감속비 10")},
  };
  const std::string beyond = "the transform would carry points beyond the coordinates";
  RunTable(
      {
          // Transforms beyond the record's coordinates: refused whole.
          {load + "transform move dx=40000", 1, "err:line 2: transform move: " + beyond},
          // Numbers beyond any option's range, and beyond what a record holds.
          {"generate radial y=-1e300", 2, "err:generate radial: y lies in -10000"},
          {"generate radial x=1e308", 2, "err:x lies in"},
          {"generate face ymax=1e300", 2, "err:ymax lies in"},
          {"add 1 1e308 0 0 0", 2, "err:add: X must lie in"},
          {"add 1 0 0 0 40000", 2, "err:add: FEED must lie in -32768 to 32767"},
          {"trim box -1e300 0 1 1 inside", 2, "err:XMIN must lie in -1e+06 to 1e+06"},
          {"offset circle 0 0 0 1e300 1 1 1", 2, "err:R must lie in"},
          {"offset box 0 0 1 1 1e300 0 0", 2, "err:DX must lie in"},
          {"master create tool=1e300", 2, "err:tool must lie in 0 to 1000"},
          {"add 1 0 0 0 0; add 3 1e30 0 0 100; info", 0, "out:\"cutting_max\":[", "!out:nan",
           "!out:inf"},
          // Trims that would invert: a box holding everything trims nothing outside; a band
          // given upside down is the same band.
          {load + "trim box -1e6 -1e6 1e6 1e6 outside; info", 0,
           "err:trim box: the box holds the whole toolpath; nothing lies outside it (nothing "
           "changed)",
           "out:{\"count\":6239,"},
          {load + "trim zband 0 -5; info", 0,
           "err:trim zband: ZMIN lies above ZMAX; the band from -5 to 0 is kept",
           "out:{\"count\":563,"},
          {load + "trim zband -5 0; info", 0, "out:{\"count\":563,"},
          // Point files: a collinear vertex on the ray changes nothing; bad files are refused
          // before anything changes.
          {load + "trim file {d}/square.poi inside; info", 0, "out:{\"count\":1,"},
          {load + "trim file {d}/nan.poi inside", 1, "err:nan.poi' line 3: a vertex that is not"},
          {load + "trim file /dev/zero inside", 1, "err:'/dev/zero' is not a text file"},
          {load + "offset file /dev/zero 1 1 1", 1, "err:'/dev/zero' is not a text file"},
          // Condition files: the field out of range is named; the file stays as it was.
          {"lmx load {d}/reduction.lmx", 1, "err:CornerMaxReduction 10.000000 lies outside 0 to 1",
           "=reduction.lmx:" + files.at("reduction.lmx")},
          {"lmx set CorWeight0=1000", 2, "err:CorWeight0 must lie in"},
      },
      files, {"add 1 0 0 1e39 0"});
}

TEST(Verbs, Feed) {
  const std::string cut =
      "add 1 -20 0 10 0; add 3 -20 0 0 1000; add 4 20 0 4 1000; view top; view size 400 300; ";
  std::vector<Row> rows = {
      // A window that starts outside the view, one 1 pixel wide, then one over x >= 0.
      {cut + "feed window max 300 -1 10 300 290; feed window max 300 200 10 201 290; "
             "feed window max 300 200 10 300 290; dump 2 3",
       0, "err:feed window: the window starts outside the view (nothing changed)",
       "err:feed window: the window is narrower or lower than 2 pixels",
       "out:feed window: 1 feeds changed, 1 points added",
       "out:2 4 0.0000 0.0000 2.0000 1000 0\n3 4 20.0000 0.0000 4.0000 300 0\n"},
      // A polygon in window pixels around x >= 10 raises the floor there; two vertices do
      // nothing.
      {cut + "feed polygon min 2000 210 10 390 10 390 290 210 290; feed polygon min 2000 1 1 9 9; "
             "feed set 500; dump 2 2",
       0, "out:feed polygon: 1 feeds changed, 1 points added",
       "err:feed polygon: a polygon needs at least 3 vertices (nothing changed)",
       "out:feed set: 4 feeds changed", "out:2 4 10.0000 0.0000 3.0000 500 0\n"},
      // The rule verbs keep the values of their last use; Machine0 buffers 2 blocks and the
      // slider at 100 doubles them.
      {"feed arc fmin=300 first=1000; feed arc; feed arc first=0; feed length lmax=2; "
       "feed length; feed machine name=Machine0 weight=100 smooth=0; feed machine baud=2400",
       0,
       "out:feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=1000: 0 feeds changed\n"
       "feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=1000: 0 feeds changed\n"
       "feed arc rmin=0.1 fmin=300 rmax=20 fmax=500 safe=1 first=0:",
       "out:feed length lmin=0.01 fmin=200 lmax=2 fmax=500 first=0: 0 feeds changed\n"
       "feed length lmin=0.01 fmin=200 lmax=2 fmax=500 first=0:",
       "out:feed machine name=Machine0 blocks=4 baud=9600 max=1000 min=300 rapid=8000 unit=50 "
       "weight=100 smooth=0 setmax=1: 0 feeds changed\n"
       "feed machine name=Machine0 blocks=4 baud=2400 max=1000",
       "err:feed arc: no feed to change (nothing changed)"},
  };
  for (const char* bad :
       {"feed window up 300 200 10 300 290", "feed set 0.5", "feed set 100001", "feed arc rmin=0",
        "feed arc first=1000001", "feed length lmax=0.05", "feed machine name=fanuc0m",
        "feed machine baud=1200", "feed machine weight=101", "feed machine rapid=2999",
        "feed polygon max 300 1 2 3 4 5 6 7", "feed arc radius=3", "feed"})
    rows.push_back({cut + bad, 2, "err:line 6: feed"});
  RunTable(rows);
}

// plot feed writes PNG or SVG by the file's extension, with the before series it has (the
// toolpath before this session's optimiser run, or a program given with before=), and refuses
// what it cannot write before touching anything.
TEST(Verbs, PlotFeed) {
  const std::string cut = "add 1 0 0 5 0; add 3 0 0 0 100; add 4 50 0 0 100; add 4 50 50 0 100; ";
  // The PNG's signature and header with its width, 640.
  const std::string png = "^b.png:" + std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x02\x80", 20);
  std::vector<Row> rows = {
      {cut + "plot feed {d}/a.svg; optimize; plot feed {d}/b.svg; plot feed {d}/b.png width=640 "
             "height=300",
       0, "^a.svg:<?xml", "!a.svg:>feed before<", "b.svg:>feed before<", png},
      // A program given with before= is the before series, whatever the session did.
      {cut + "save {d}/orig.nc editor=0; feed set 500; plot feed {d}/c.SVG before={d}/orig.nc", 0,
       "c.SVG:>feed before<"},
  };
  const std::tuple<const char*, int, const char*> refused[] = {
      {"plot feed {d}/x.jpg", 2, "plot feed: '{d}/x.jpg' must end in .png or .svg"},
      {"plot bars {d}/x.png", 2, "plot: unknown chart 'bars'"},
      {"plot feed", 2, "plot"},
      {"plot feed {d}/x.png width=100", 2, "plot feed: width lies in 320 to 8192"},
      {"plot feed {d}/x.png colour=red", 2, "plot"},
      {"plot feed {d}/x.png before=", 2, "plot feed: before= needs a file"},
      {"plot feed {d}/x.png before={d}/none.nc", 1, "plot feed: cannot open '{d}/none.nc'"},
      {"plot feed {d}/nofolder/x.png", 1, "plot feed: cannot create '{d}/nofolder/x.png'"}};
  for (const auto& [command, status, message] : refused)
    rows.push_back(
        {cut + command, status, std::string("err:line 5: ") + message, "=x.png:", "=x.jpg:"});
  RunTable(rows);
}

// Hostile input: empty toolpaths and files, special files as targets, scripts that never end
// or are no text, and the refusals that must say what they refuse; each row leaves the files
// given to it as they were.
// A polygon of n window positions on a circle, far enough apart to be taken.
std::string Ring(int n) {
  std::string words;
  for (int k = 0; k < n; ++k) {
    const double a = 6.283185307179586 * k / n;
    words += std::to_string(static_cast<int>(200 + 180 * std::cos(a))) + " " +
             std::to_string(static_cast<int>(200 + 180 * std::sin(a))) + " ";
  }
  return words;
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int k = 0; k < times; ++k) all += text;
  return all;
}

const std::string kPath = "add 1 0 0 5 0; add 3 0 0 -1 100; add 4 10 0 -1 100; add 1 10 0 5 0; ";

TEST(HostileInput, RefusalsSayWhatTheyRefuseAndKeepTheFiles) {
  const std::map<std::string, std::string> files = {
      {"keep.nc", "%\nO1\nG00X0Y0Z5\nM30\n%\n"},
      {"empty.ppr", ""},
      {"bom.txt",
       "\xEF\xBB\xBF"
       "add 1 0 0 0 0\ndump\n"},
      {"nul.txt", std::string("add 1 0 0 0 0\nadd\0 1", 20)},
      {"quoted.txt", "add 1 0 0 0 0\nlayerinfo 1 comment=\"a\nb # not a comment\"\nbogus\n"},
      // A start part that rapids deep into the work before the first cut.
      {"deep.nc", "%\nO7\nG90G00G17\nG00Z-50.\nG00X0Y0\nG01Z-1.F100\nX10.\nG00Z50.\nM30\n%\n"},
      // An end part (the lines from the last retract on) that rapids deep after the last cut;
      // the end part is only taken from a program of 500 bytes or more.
      {"deepend.nc", "%\nO7\nG90G00G17\nG00Z50.\nG00X0Y0\nG01Z-1.F100\n" +
                         Repeat("X10.\nX0.\n", 60) + "G00Z50.\nG00X0Y0\nG00Z-50.\nM30\n%\n"},
  };
  RunAlone(
      {
          // An empty toolpath writes nothing (every output: the core's output refusal tests).
          {"save {d}/keep.nc editor=0", 1,
           "err:save: the toolpath holds no moves; nothing written"},
          // Special files are never replaced (the FIFO is checked after every row).
          {kPath + "save {d}/fifo editor=0", 1, "err:not a regular file"},
          {kPath + "save {d} editor=0", 1, "err:is a folder, not a file"},
          // Options that exclude each other are refused before anything is written.
          {kPath + "save {d}/keep.nc heidenhain=1 incremental=1 editor=0", 2,
           "err:cannot be written as a Heidenhain program; nothing written",
           "!err:Incremental ncdata"},
          {"ppr save {d}/new.ppr from={d}/empty.ppr", 1, "err:defines no section; nothing written"},
          {"$ run {d}", 1, "err:is a folder, not a file"},
          {kPath + "mma {d}/missing.mma; optimize", 0,
           "err:optimize: warning: the master-model file '{d}/missing.mma' does not exist"},
          // Scripts: a byte-order mark is skipped, a NUL byte is no script, a quoted word over
          // two lines keeps the physical line numbers of what follows.
          {"$ run {d}/bom.txt", 0, "out:0 1 0.0000 0.0000 0.0000 0 0\n"},
          {"$ run {d}/nul.txt", 2, "err:line 2: a NUL byte"},
          {"$ run {d}/quoted.txt", 2, "err:line 4: unknown command 'bogus'"},
          // Verify compares the copied start part too, and says how many moves differ.
          {kPath + "save {d}/out.nc editor=0 startend={d}/deep.nc verify=1", 1,
           "err:difference(s) among", "err:First difference:", "err:Z-50.000"},
          {kPath + "save {d}/out.nc editor=0 startend={d}/deepend.nc verify=1", 1,
           "err:1 difference(s) among", "err:expected nothing, read G00 X10.000 Y0.000 Z-50.000"},
          // A polygon over the path commands' vertex limit says the limit and fails.
          {kPath + "view size 400 400; reverse scope=polygon " + Ring(120), 1,
           "err:reverse: the polygon has 100 or more vertices 5 pixels apart; at most 99"},
          {kPath + "view size 400 400; reverse scope=polygon " + Ring(60), 0, "!err:at most 99"},
          // A retract below the toolpath's top is taken with a warning.
          {kPath + "retract -50", 0, "err:retract: warning: -50.000 lies below the toolpath's top"},
          {kPath + "retract 50", 0, "!err:warning"},
      },
      files);
}

TEST(HostileInput, ScriptLinesAreBounded) {
  const TempDir dir;
  const std::vector<std::string> fromStdin = {
      "--sysdir", dir.path().string(), "--lang", "en", "run", "-"};
  auto r = RunCli(fromStdin, "add 1 0 0 0 0\n" + std::string(cli::kScriptLineLimit + 1, 'a'));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 2: longer than 1048576 bytes"), std::string::npos) << r.err;
  // An unterminated quote at the end is an error on the quote's line; what came before ran.
  r = RunCli(fromStdin, "add 1 0 0 0 0; dump\nlayerinfo 1 comment=\"open\n\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 2: unterminated quote"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("0 1 "), std::string::npos) << r.out;
}

// A stream that fails the test when its second line is asked for before the first line's
// command has printed: the script must run as it is read, not after it has all been read.
class TwoLines : public std::streambuf {
 public:
  explicit TwoLines(const std::ostringstream& out) : out_(out) {}

 protected:
  int_type underflow() override {
    if (step_ == 0) {
      line_ = "add 1 0 0 0 0; dump\n";
    } else if (step_ == 1) {
      EXPECT_NE(out_.str().find("0 1 0.0000"), std::string::npos) << "not run as it came";
      line_ = "dump\n";
    } else {
      return traits_type::eof();
    }
    ++step_;
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  const std::ostringstream& out_;
  std::string line_;
  int step_ = 0;
};

TEST(HostileInput, StandardInputRunsLineByLine) {
  TempDir dir;
  std::ostringstream out, err;
  TwoLines lines(out);
  std::istream in(&lines);
  cli::Session s(out, err);
  StartOptions o;
  o.systemDir = dir.path().string();
  o.language = "en";
  ASSERT_TRUE(s.app.StartUp(o));
  EXPECT_EQ(cli::RunScriptStream(s, in), 0) << err.str();
  EXPECT_EQ(out.str(), "0 1 0.0000 0.0000 0.0000 0 0\n0 1 0.0000 0.0000 0.0000 0 0\n");
}

}  // namespace
}  // namespace trevalon::testing
