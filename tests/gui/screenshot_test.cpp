// The desktop's command line, the --screenshot mode: arguments, and a PNG of the requested size
// from programs or with the master model built from one.

#include "gui/screenshot.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "gui/command_line.h"
#include "gui_test_support.h"

using namespace trevalon;
using namespace trevalon::guitest;

class ScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void argumentsAreCheckedBeforeAnythingOpens() {
    ScreenshotRequest r;
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs({"a.nc", "b.nc"}, r, shot), std::string());
    QVERIFY(!shot);
    QCOMPARE(r.files.size(), std::size_t(2));
    r = {};
    QCOMPARE(ParseScreenshotArgs({"--screenshot", "o.png", "--size", "640x480", "--view", "side",
                                  "--feed-colours", "x.nc"},
                                 r, shot),
             std::string());
    QCOMPARE(QString::asprintf("%d %s %dx%d %d %d", shot, r.output.c_str(), r.width, r.height,
                               r.direction, r.feedColours),
             QString("1 o.png 640x480 3 1"));
    for (std::vector<std::string> bad :
         {std::vector<std::string>{"--screenshot", "o.png", "--size", "640"},
          {"--screenshot", "o.png", "--view", "iso9"},
          {"--screenshot"},
          {"--screenshot", "o.png", "--master"}})
      QVERIFY(!ParseScreenshotArgs(bad, r, shot).empty());
    QCOMPARE(ViewDirectionByName("iso4"), 7);
  }

  // The command line is read in the folder the program started in: files, the PNG, the
  // master program and the system directory become absolute there; values that are no paths
  // stay; --help, --version and mistakes end the start.
  void commandLinePathsAreTakenFromTheStartFolder() {
    using Action = CommandLine::Action;
    const std::filesystem::path start = "/home/u/jobs";
    CommandLine c = ReadCommandLine(
        {"--screenshot", "out.png", "--size", "640x480", "--view", "top", "--master", "m.nc",
         "--sysdir", "cfg", "part.nc", "/abs/b.nc", "--", "-odd.nc"},
        start);
    QCOMPARE(int(c.action), int(Action::Run));
    QString args;  // none holds a blank
    for (const std::string& a : c.args) args += QString::fromStdString(a) + " ";
    QCOMPARE(args, QString("--screenshot /home/u/jobs/out.png --size 640x480 --view top --master "
                           "/home/u/jobs/m.nc --sysdir /home/u/jobs/cfg /home/u/jobs/part.nc "
                           "/abs/b.nc /home/u/jobs/-odd.nc "));
    ScreenshotRequest r;
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs(c.args, r, shot), std::string());
    QCOMPARE(r.files, (std::vector<std::string>{"/home/u/jobs/part.nc", "/abs/b.nc",
                                                "/home/u/jobs/-odd.nc"}));
    QCOMPARE(int(ReadCommandLine({"a.nc", "--help"}, start).action), int(Action::Help));
    QCOMPARE(int(ReadCommandLine({"-h"}, start).action), int(Action::Help));
    QCOMPARE(int(ReadCommandLine({"--version"}, start).action), int(Action::Version));
    for (std::vector<std::string> bad : {std::vector<std::string>{"--bogus"},
                                         {"a.nc", "-"},
                                         {"-platform", "offscreen"},
                                         {"--lang"}}) {
      c = ReadCommandLine(bad, start);
      QCOMPARE(int(c.action), int(Action::Error));
      QVERIFY(!c.error.empty());
    }
    QCOMPARE(ReadCommandLine({"--bogus"}, start).error, std::string("unknown option --bogus"));
  }

  void programsBecomeAPngOfTheRequestedSize() {
    Program p;
    ScreenshotRequest r;
    r.output = p.dir.filePath("shot.png").toStdString();
    r.width = 320;
    r.height = 200;
    r.direction = 1;
    r.files = {TestFile("pocket_ijk.nc"), TestFile("face_mill.nc")};
    std::string error;
    QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
    QImage image(QString::fromStdString(r.output));
    QCOMPARE(image.size(), QSize(320, 200));
    // Something was drawn: not every pixel has the background's colour.
    const QRgb background = image.pixel(160, 2);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
      for (int x = 0; x < image.width() && !drawn; ++x) drawn = image.pixel(x, y) != background;
    QVERIFY(drawn);
    QVERIFY(p.app->documents.empty());  // the document is gone again

    r.files = {"/no/such/program.nc"};
    QCOMPARE(TakeScreenshot(*p.app, r, error), 1);
    QVERIFY(error.find("/no/such/program.nc") != std::string::npos);

    // --master: the mesh built from a program covers the middle of the picture.
    const std::string example = std::string(TREVALON_EXAMPLES) + "/core-insert-finish.nc";
    const std::string png = p.dir.filePath("master.png").toStdString();
    r = {};
    bool shot = false;
    QCOMPARE(ParseScreenshotArgs({"--screenshot", png, "--size", "320x200", "--master", example}, r,
                                 shot),
             std::string());
    QCOMPARE(TakeScreenshot(*p.app, r, error), 0);
    QVERIFY(QImage(QString::fromStdString(png)).pixelColor(160, 100) != QColor(12, 16, 22));
    r.master = p.dir.filePath("missing.nc").toStdString();
    QCOMPARE(TakeScreenshot(*p.app, r, error), 1);
  }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
