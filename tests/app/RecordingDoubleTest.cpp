// What the window hands the search library, seen through a recording stand-in:
// the records of Create and Compare byte for byte, the order of calls, the
// status callback, and when a result is handed back.
#include "PexoraDefs.h"
#include "WindowFixture.h"
#include "recording_double/RecordingPexora.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"
#include "toolkit/TTrackBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstring>

namespace {

using Unit1::TForm1;

bool IsRed(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(255, 0, 0); }

class WithRecordingLibrary : public ::testing::TestWithParam<ProgramCase> {
 protected:
  void SetUp() override {
    w.Open(v, std::string(TESTLIBS_DIR) + "/pexora_recording");
    ASSERT_TRUE(PexoraDefs::PexoraLibraryLoaded);
    auto stateOf = reinterpret_cast<t_PexoraDouble_State>(
        PlatformLibrary::GetProcAddress(PexoraDefs::PexoraLibraryHandle, "PexoraDouble_State"));
    ASSERT_NE(stateOf, nullptr);
    state = stateOf();
    std::memset(state, 0, sizeof *state);
    // Pictures the previews can show.
    ASSERT_TRUE(dir.isValid());
    QImage in(40, 30, QImage::Format_RGB32);
    in.fill(QColor(10, 200, 30));
    inFile = dir.filePath(QStringLiteral("in.jpg"));
    ASSERT_TRUE(in.save(inFile, "JPEG"));
    QImage icon(20, 10, QImage::Format_ARGB32);
    icon.fill(QColor(0, 0, 255, 128));
    forFile = dir.filePath(QStringLiteral("for.png"));
    ASSERT_TRUE(icon.save(forFile, "PNG"));
    w.form->Edit1->setText(inFile);
    w.form->Edit2->setText(forFile);
  }

  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (int i = 0; i < state->record.callCount; ++i) calls.emplace_back(state->record.calls[i]);
    return calls;
  }

  TPXProcessParameters Expected() const {
    TPXProcessParameters p;
    std::memset(&p, 0, sizeof p);
    p.CompareType = v.ArgbCompareType;
    p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 15;
    p.DifferenceTolerance = v.TrackBar9Position;
    p.StretchCompare = v.StretchCompare ? 1 : 0;
    p.MinimalStretchSize = v.MinimalStretchSize;
    p.MaximalStretchSize = v.MaximalStretchSize;
    p.StretchResampler = v.StretchResampler;
    p.MultipleMatches = 1;
    p.MultiThreadedProcessing = -1;
    p.StatusCallback = &Unit1::StatusCallback;
    return p;
  }

  void ExpectHandedOver(const TPXProcessParameters& expected) {
    ASSERT_EQ(Calls(), std::vector<std::string>{"Pexora_Compare"});
    EXPECT_EQ(std::memcmp(state->record.compareParameters, &expected, sizeof expected), 0);
    TPXProcessParameters seen;
    std::memcpy(&seen, state->record.compareParameters, sizeof seen);
    EXPECT_EQ(seen.CompareType, expected.CompareType);
    EXPECT_EQ(seen.DifferenceTolerance, expected.DifferenceTolerance);
    EXPECT_EQ(seen.AHSLHTolerance, expected.AHSLHTolerance);
    EXPECT_EQ(seen.AHSLSTolerance, expected.AHSLSTolerance);
    EXPECT_EQ(state->record.compareReserved, nullptr);
  }

  const TVariant& v = GetParam().variant();
  WindowFixture w;
  PexoraDoubleState* state = nullptr;
  QTemporaryDir dir;
  QString inFile, forFile;
};

TEST_P(WithRecordingLibrary, CompareHandsOverTheDefaultsByteForByte) {
  w.form->Button6Click(nullptr);
  ExpectHandedOver(Expected());
  // The gaps are zero as well.
  for (int offset : {45, 46, 47, 69, 70, 71}) EXPECT_EQ(state->record.compareParameters[offset], 0) << offset;
}

TEST_P(WithRecordingLibrary, CompareTakesTheLowEightBitsOfTheArgbEdits) {
  TForm1& f = *w.form;
  f.Edit3->setText(QStringLiteral("300"));
  f.Edit4->setText(QStringLiteral("-1"));
  f.Edit5->setText(QStringLiteral("$1FF"));
  f.Edit6->setText(QStringLiteral("  007"));
  f.CheckBox1->setChecked(false);
  f.TrackBar9->SetPosition(1000);
  f.Button6Click(nullptr);
  TPXProcessParameters p = Expected();
  p.ARGBATolerance = 44;
  p.ARGBRTolerance = 255;
  p.ARGBGTolerance = 255;
  p.ARGBBTolerance = 7;
  p.MultiThreadedProcessing = 0;
  p.DifferenceTolerance = 1000;
  ExpectHandedOver(p);
}

TEST_P(WithRecordingLibrary, CompareTakesTheAhslEditsInChannelOrderAndLeavesArgbZero) {
  TForm1& f = *w.form;
  f.RadioButton2->setChecked(true);
  f.Edit3->setText(QStringLiteral("not read in AHSL mode"));
  f.Edit7->setText(QStringLiteral("0.1"));    // A
  f.Edit9->setText(QStringLiteral("0.2"));    // H
  f.Edit8->setText(QStringLiteral("0.3"));    // S
  f.Edit10->setText(QStringLiteral("4e-1"));  // L
  f.Button6Click(nullptr);
  TPXProcessParameters p = Expected();
  p.CompareType = v.AhslCompareType;
  p.ARGBATolerance = p.ARGBRTolerance = p.ARGBGTolerance = p.ARGBBTolerance = 0;
  p.AHSLATolerance = 0.1;
  p.AHSLHTolerance = 0.2;
  p.AHSLSTolerance = 0.3;
  p.AHSLLTolerance = 0.4;
  ExpectHandedOver(p);
}

TEST_P(WithRecordingLibrary, AnUnconvertibleToleranceEndsCompareBeforeTheLibrary) {
  TForm1& f = *w.form;
  f.ProgressBar1->setValue(40);
  f.Edit5->setText(QStringLiteral("1.5"));
  f.Button6->click();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(f.ProgressBar1->value(), 0);
  ASSERT_EQ(w.answerer->boxes.size(), 2u);  // the information box, then the error
  EXPECT_EQ(w.answerer->boxes[1].text, QStringLiteral("''1.5'' is not a valid integer value."));
  EXPECT_EQ(w.LogLines().size(), 2);
  // The other decimal separator does not convert either.
  f.Edit5->setText(QStringLiteral("15"));
  f.RadioButton2->setChecked(true);
  f.Edit8->setText(QStringLiteral("0,5"));
  f.Button6->click();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(w.answerer->boxes.back().text, QStringLiteral("'0,5' is not a valid floating point value."));
  // The window goes on normally.
  f.Edit8->setText(QStringLiteral("0.5"));
  f.Button6->click();
  EXPECT_EQ(Calls(), std::vector<std::string>{"Pexora_Compare"});
}

TEST_P(WithRecordingLibrary, AnAhslValueBeyondADoubleEndsCompareInEveryProgram) {
  TForm1& f = *w.form;
  f.RadioButton2->setChecked(true);
  for (const char* text : {"1e400", "-1E+309"}) {
    f.Edit10->setText(QString::fromLatin1(text));
    f.Button6->click();
    EXPECT_TRUE(Calls().empty()) << text;
    EXPECT_EQ(w.answerer->boxes.back().text,
              QStringLiteral("'%1' is not a valid floating point value.").arg(QString::fromLatin1(text)));
  }
  EXPECT_EQ(w.LogLines().size(), 2);
}

TEST_P(WithRecordingLibrary, CompareBeforeCreateHandsOverZeroRecords) {
  state->script.compareCode = PX_ERROR_OBJECT;
  w.form->Button6Click(nullptr);
  TPXObject zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&state->record.compareSearchIn, &zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(&state->record.compareSearchFor, &zero, sizeof zero), 0);
  QStringList expected = w.LogLines().mid(0, 2);
  if (v.LogsProcessingNotice) expected << QStringLiteral("Processing... please wait, this can take a while...");
  expected << QStringLiteral("Error while processing, error code: 4") << QStringLiteral("No match found.");
  EXPECT_EQ(w.LogLines(), expected);
}

TEST_P(WithRecordingLibrary, TheStatusCallbackMovesTheBarWhileTheLibraryWorks) {
  static std::vector<int> seen;
  seen.clear();
  state->script.progressCount = 6;
  const double progress[] = {0, 12.5, 13.5, 50.4, 99.5, 100};
  std::copy(std::begin(progress), std::end(progress), state->script.progress);
  state->script.afterStatus = [](double) { seen.push_back(Unit1::Form1->ProgressBar1->value()); };
  w.form->Button6Click(nullptr);
  EXPECT_EQ(seen, (std::vector<int>{0, 12, 14, 50, 100, 100}));
  EXPECT_EQ(w.form->ProgressBar1->value(), 100);
}

struct Outcome {
  const char* name;
  int32_t code;
  TPXBool32 success;
  int32_t matchCount;
  bool handedBack;
  std::vector<const char*> lines;  // after the start-up and processing lines; "T" is the time line
};

class CompareOutcome : public WithRecordingLibrary {};

TEST_P(CompareOutcome, TheResultIsHandedBackExactlyWhenItIsASuccess) {
  const Outcome outcomes[] = {
      {"NoMatch", PX_OK, 0, 0, false, {"No match found."}},
      {"SuccessWithoutMatches", PX_OK, -1, 0, true, {"Successful search, match count: 0", "T"}},
      {"ErrorWithoutResult",
       PX_ERROR_DIMENSIONS,
       0,
       0,
       false,
       {"Error while processing, error code: 5", "No match found."}},
      {"ErrorWithMatches",
       PX_ERROR_UNKNOWN,
       1,
       2,
       true,
       {"Error while processing, error code: 1", "Successful search, match count: 2",
        "Found at position: 3x4 difference: 7", "Found at position: 30x20 difference: 0", "T"}},
      {"NegativeCount", PX_OK, 1, -3, true, {"Successful search, match count: -3", "T"}},
  };
  state->script.matches[0] = {{3, 4}, {10, 10}, 7, 99.0};
  state->script.matches[1] = {{30, 20}, {10, 10}, 0, 100.0};
  for (const Outcome& o : outcomes) {
    SCOPED_TRACE(o.name);
    state->record.callCount = 0;
    state->script.compareCode = o.code;
    state->script.success = o.success;
    state->script.matchCount = o.matchCount;
    const int before = w.LogLines().size();
    w.form->Button6Click(nullptr);
    std::vector<std::string> calls{"Pexora_Compare"};
    if (o.handedBack) calls.push_back("Pexora_FreeResult");
    EXPECT_EQ(Calls(), calls);
    if (o.handedBack) {
      EXPECT_EQ(state->record.freedResultContents.Success, o.success);
      EXPECT_EQ(state->record.freedResultContents.MatchCount, o.matchCount);
    }
    QStringList lines = w.LogLines().mid(before);
    if (v.LogsProcessingNotice) {
      ASSERT_FALSE(lines.isEmpty());
      EXPECT_EQ(lines.takeFirst(), QStringLiteral("Processing... please wait, this can take a while..."));
    }
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(o.lines.size()));
    for (std::size_t i = 0; i < o.lines.size(); ++i) {
      if (std::string(o.lines[i]) == "T")
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("Processing time: 00:00:0"))) << lines[i].toStdString();
      else
        EXPECT_EQ(lines[i], QString::fromUtf8(o.lines[i]));
    }
  }
}

TEST_P(WithRecordingLibrary, CreateHandsOverTheNamesAndTheProgramsParameters) {
  TForm1& f = *w.form;
  state->script.handle = reinterpret_cast<void*>(std::uintptr_t{0xBEEF});
  state->script.dimensions = {640, 480};
  if (f.ComboBox1) f.ComboBox1->setCurrentIndex(4);
  f.Button4Click(nullptr);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Pexora_CreateObject", "Pexora_CreateObject"}));
  ASSERT_EQ(state->record.createCount, 2);
  EXPECT_EQ(QString::fromUtf16(state->record.createNames[0]), inFile);
  EXPECT_EQ(QString::fromUtf16(state->record.createNames[1]), forFile);
  for (int i = 0; i < 2; ++i) {
    TPXCreateObjectParameters expected;
    std::memset(&expected, 0, sizeof expected);
    expected.ProcessType = v.ProcessType;
    expected.Dimensions = v.CreateDimensions;
    expected.Resampler = f.ComboBox1 ? 4 : 0;
    EXPECT_EQ(std::memcmp(&state->record.createParameters[i], &expected, sizeof expected), 0);
  }
  QStringList expected = w.LogLines().mid(0, 2);
  for (int i = 0; i < 2; ++i) {
    expected << QStringLiteral("Created object: $0000BEEF 640x480");
    if (v.LogsLoadingTime) expected << QStringLiteral("Loading time: 00:00:00.00");
  }
  EXPECT_EQ(w.LogLines(), expected);
  EXPECT_EQ(f.Image1->Picture().size(), QSize(40, 30));
  EXPECT_EQ(f.Image2->Picture().size(), QSize(20, 10));
  // The search-for preview keeps its transparency only where the toolkit loads it.
  EXPECT_EQ(f.Image2->Picture().hasAlphaChannel(), v.SearchForPreviewByToolkit);
  // The name buffers hold the names, zero-terminated.
  ASSERT_NE(Unit1::PXObjectSearchIn.FileName, nullptr);
  EXPECT_EQ(QString::fromUtf16(Unit1::PXObjectSearchIn.FileName), inFile);
}

TEST_P(WithRecordingLibrary, ASixteenBitPictureIsPreviewedAndOutlinedAtItsOwnSize) {
  TForm1& f = *w.form;
  QImage grey(40, 30, QImage::Format_Grayscale16);
  for (int y = 0; y < 30; ++y) {
    auto* line = reinterpret_cast<quint16*>(grey.scanLine(y));
    for (int x = 0; x < 40; ++x) line[x] = static_cast<quint16>(0x1234 + 1500 * x);
  }
  const QString file = dir.filePath(QStringLiteral("grey16.png"));
  ASSERT_TRUE(grey.save(file, "PNG"));
  f.Edit1->setText(file);
  f.Button4Click(nullptr);
  ASSERT_EQ(f.Image1->Picture().size(), QSize(40, 30));
  EXPECT_EQ(f.Image1->Picture().pixel(0, 0), qRgb(0x12, 0x12, 0x12));
  EXPECT_EQ(f.Image1->Picture().pixel(20, 10),
            qRgb((0x1234 + 1500 * 20) >> 8, (0x1234 + 1500 * 20) >> 8, (0x1234 + 1500 * 20) >> 8));
  state->script.success = -1;
  state->script.matchCount = 1;
  state->script.matches[0] = {{0, 0}, {10, 10}, 0, 100.0};
  f.Button6Click(nullptr);
  ASSERT_EQ(f.Image1->Picture().size(), QSize(40, 30));
  EXPECT_TRUE(IsRed(f.Image1->Picture(), 5, 0));
  // The whole-picture outline of seekfiltered runs along the picture's edges.
  EXPECT_EQ(IsRed(f.Image1->Picture(), 39, 20), v.OutlineIsWholePicture);
}

TEST_P(WithRecordingLibrary, HandlesPrintInUpperCaseHexOfAtLeastEightDigits) {
  const std::pair<std::uintptr_t, const char*> cases[] = {
      {0x1, "$00000001"}, {0xABCDEF12, "$ABCDEF12"}, {0x123456789A, "$123456789A"}};
  state->script.dimensions = {1, 2};
  for (const auto& [handle, text] : cases) {
    state->script.handle = reinterpret_cast<void*>(handle);
    w.form->Button4Click(nullptr);
    EXPECT_EQ(w.LogLines()[w.LogLines().size() - (v.LogsLoadingTime ? 2 : 1)],
              QStringLiteral("Created object: ") + QString::fromLatin1(text) + QStringLiteral(" 1x2"));
  }
}

TEST_P(WithRecordingLibrary, AFailedCreateLogsTheCodeAndLeavesThePreview) {
  TForm1& f = *w.form;
  state->script.createCode = PX_ERROR_LOADING;
  f.Button4Click(nullptr);
  EXPECT_EQ(w.LogLines().mid(2), (QStringList{QStringLiteral("Error creating object, error code: 3"),
                                              QStringLiteral("Error creating object, error code: 3")}));
  EXPECT_TRUE(f.Image1->Picture().isNull());
}

TEST_P(WithRecordingLibrary, FreeObjectLogsTheNameOfCreateTimeAndNeverReleasesABufferTwice) {
  TForm1& f = *w.form;
  state->script.handle = reinterpret_cast<void*>(std::uintptr_t{0x10});
  f.Button4Click(nullptr);
  f.Edit1->setText(QStringLiteral("changed after Create"));
  const int before = w.LogLines().size();
  f.Button5Click(nullptr);
  EXPECT_EQ(w.LogLines().mid(before),
            (QStringList{QStringLiteral("Freed object: ") + inFile, QStringLiteral("Freed object: ") + forFile}));
  EXPECT_TRUE(f.Image1->Picture().isNull());
  EXPECT_TRUE(f.Image2->Picture().isNull());
  // A library that answers a second release with success: the names are gone.
  f.Button5Click(nullptr);
  EXPECT_EQ(w.LogLines().mid(before + 2),
            (QStringList{QStringLiteral("Freed object: "), QStringLiteral("Freed object: ")}));
  // A failed release keeps the preview.
  f.Edit1->setText(inFile);
  f.Button4Click(nullptr);
  state->script.freeCode = PX_ERROR_OBJECT;
  f.Button5Click(nullptr);
  EXPECT_EQ(w.LogLines().back(), QStringLiteral("Error freeing object, error code: 4"));
  EXPECT_FALSE(f.Image1->Picture().isNull());
}

TEST_P(WithRecordingLibrary, MatchesAreOutlinedOnTheSearchInPictureAndAccumulate) {
  TForm1& f = *w.form;
  state->script.success = -1;
  state->script.matchCount = 1;
  state->script.matches[0] = {{50, 60}, {40, 30}, 0, 100.0};
  f.Button6Click(nullptr);
  // No picture yet: the outline goes onto a blank picture of the preview's size.
  const QImage& first = f.Image1->Picture();
  ASSERT_EQ(first.size(), QSize(251, 251));
  if (v.OutlineIsWholePicture) {
    EXPECT_TRUE(IsRed(first, 125, 60));  // top edge, as wide as the picture
    EXPECT_TRUE(IsRed(first, 50, 200));  // left edge, as high as the picture
  } else {
    EXPECT_TRUE(IsRed(first, 70, 60));   // top edge
    EXPECT_TRUE(IsRed(first, 90, 75));   // right edge
    EXPECT_TRUE(IsRed(first, 70, 90));   // bottom edge
    EXPECT_TRUE(IsRed(first, 51, 75));   // within the 5-pixel pen
    EXPECT_FALSE(IsRed(first, 56, 75));  // inside the outline
    EXPECT_FALSE(IsRed(first, 70, 94));  // beyond the pen
  }
  EXPECT_FALSE(IsRed(first, 20, 20));
  state->script.matches[0] = {{5, 5}, {10, 10}, 0, 100.0};
  f.Button6Click(nullptr);
  EXPECT_TRUE(IsRed(f.Image1->Picture(), 5, 8));
  EXPECT_TRUE(IsRed(f.Image1->Picture(), 50, 70));  // the first outline stays
}

TEST_P(WithRecordingLibrary, OutlinesUseThePicturesOwnPixels) {
  TForm1& f = *w.form;
  f.Button4Click(nullptr);  // a 40 x 30 search-in picture
  state->script.success = -1;
  state->script.matchCount = 1;
  state->script.matches[0] = {{0, 0}, {60, 60}, 0, 100.0};  // reaches beyond the picture
  f.Button6Click(nullptr);
  const QImage& picture = f.Image1->Picture();
  ASSERT_EQ(picture.size(), QSize(40, 30));
  EXPECT_TRUE(IsRed(picture, 20, 0));
  EXPECT_TRUE(IsRed(picture, 0, 20));
  if (v.OutlineIsWholePicture) {
    EXPECT_TRUE(IsRed(picture, 39, 15));  // right edge of the whole picture
    EXPECT_TRUE(IsRed(picture, 20, 29));
  } else {
    EXPECT_FALSE(IsRed(picture, 20, 15));
  }
}

TEST_P(WithRecordingLibrary, EachMatchIsLoggedBeforeItsOutlineIsDrawn) {
  TForm1& f = *w.form;
  state->script.success = -1;
  state->script.matchCount = 3;
  const QPoint places[3] = {{20, 20}, {120, 40}, {60, 150}};
  for (int i = 0; i < 3; ++i) state->script.matches[i] = {{places[i].x(), places[i].y()}, {30, 30}, i, 100.0};
  // What the search-in picture shows each time a line reaches the log: for
  // each match, whether its outline's top-left corner is red.
  QStringList seen;
  QObject::connect(f.Memo1, &QPlainTextEdit::textChanged, f.Memo1, [&] {
    const QImage& picture = f.Image1->Picture();
    QString drawn;
    for (const QPoint& p : places)
      drawn += !picture.isNull() && picture.pixelColor(p) == QColor(255, 0, 0) ? u'x' : u'.';
    seen << w.LogLines().back().section(u':', 0, 0) + u' ' + drawn;
  });
  f.Button6Click(nullptr);
  QStringList expected;
  if (v.LogsProcessingNotice) expected << QStringLiteral("Processing... please wait, this can take a while... ...");
  expected << QStringLiteral("Successful search, match count ...") << QStringLiteral("Found at position ...")
           << QStringLiteral("Found at position x..") << QStringLiteral("Found at position xx.")
           << QStringLiteral("Processing time xxx");
  EXPECT_EQ(seen, expected);
}

TEST_P(WithRecordingLibrary, ThousandsOfMatchesAreLoggedAndDrawn) {
  // The stand-in holds few entries; the engine's answer with wide-open
  // tolerances is covered with the real library.
  state->script.success = -1;
  state->script.matchCount = 8;
  for (int i = 0; i < 8; ++i) state->script.matches[i] = {{i * 30, i * 30}, {20, 20}, i, 100.0};
  w.form->Button6Click(nullptr);
  EXPECT_EQ(w.LogLines().filter(QStringLiteral("Found at position: ")).size(), 8);
}

INSTANTIATE_TEST_SUITE_P(Programs, WithRecordingLibrary, ::testing::ValuesIn(kPrograms), ProgramName);
INSTANTIATE_TEST_SUITE_P(Programs, CompareOutcome, ::testing::ValuesIn(kPrograms), ProgramName);

TEST(WithoutLibrary, HandlersLogNotAvailableAndCallNothing) {
  for (const ProgramCase& program : kPrograms) {
    SCOPED_TRACE(program.name);
    QTemporaryDir empty;
    WindowFixture w;
    w.Open(program.variant(), empty.path().toStdString());
    ASSERT_FALSE(PexoraDefs::PexoraLibraryLoaded);
    w.form->Button4Click(nullptr);
    w.form->Button6Click(nullptr);
    w.form->Button5Click(nullptr);
    QStringList expected{QStringLiteral("Error loading Pexora.dll"),
                         QStringLiteral("Error creating object, error code: 6"),
                         QStringLiteral("Error creating object, error code: 6")};
    if (program.variant().LogsProcessingNotice)
      expected << QStringLiteral("Processing... please wait, this can take a while...");
    expected << QStringLiteral("Error while processing, error code: 6") << QStringLiteral("No match found.")
             << QStringLiteral("Error freeing object, error code: 6")
             << QStringLiteral("Error freeing object, error code: 6");
    EXPECT_EQ(w.LogLines(), expected);
  }
}

}  // namespace
