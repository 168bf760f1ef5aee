// The three programs' whole road against the real search library and the
// sample pictures: Create, Compare, Free Object, and what goes wrong.
#include "PexoraDefs.h"
#include "WindowFixture.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"
#include "toolkit/TTrackBar.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

namespace {

using Unit1::TForm1;

struct Placement {
  int x, y, w, h;
};

Placement Expected(const std::string& program) {
  std::ifstream in(std::string(SAMPLES_DIR) + "/expected.txt");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name;
    Placement p{};
    if (fields >> name >> p.x >> p.y >> p.w >> p.h && name == program) return p;
  }
  ADD_FAILURE() << "no placement for " << program;
  return {};
}

class RealLibrary : public ::testing::TestWithParam<ProgramCase> {
 protected:
  void SetUp() override {
    previous_ = QDir::currentPath();
    // The programs name their pictures without a folder: they start in samples/.
    QDir::setCurrent(QStringLiteral(SAMPLES_DIR));
    w.Open(v);
    ASSERT_TRUE(PexoraDefs::PexoraLibraryLoaded);
  }
  void TearDown() override {
    w.Close();
    QDir::setCurrent(previous_);
  }
  QStringList LogFrom(int line) const { return w.LogLines().mid(line); }

  const TVariant& v = GetParam().variant();
  WindowFixture w;
  QString previous_;
};

bool IsRed(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(255, 0, 0); }

TEST_P(RealLibrary, CreateCompareAndFreeObjectWithTheSamplePictures) {
  TForm1& f = *w.form;
  f.Button4Click(nullptr);
  const QStringList created = LogFrom(2);
  const QRegularExpression createdLine(QStringLiteral("^Created object: \\$[0-9A-F]{8,} (\\d+)x(\\d+)$"));
  ASSERT_EQ(created.size(), v.LogsLoadingTime ? 4 : 2) << created.join(u'\n').toStdString();
  const auto in = createdLine.match(created[0]);
  const auto forLine = createdLine.match(created[v.LogsLoadingTime ? 2 : 1]);
  ASSERT_TRUE(in.hasMatch());
  ASSERT_TRUE(forLine.hasMatch());
  if (v.LogsLoadingTime) {
    EXPECT_TRUE(created[1].startsWith(QStringLiteral("Loading time: 00:00:")));
    EXPECT_TRUE(created[3].startsWith(QStringLiteral("Loading time: 00:00:")));
  }
  // The log shows the pictures' own sizes, and so do the previews.
  const QSize inSize(in.captured(1).toInt(), in.captured(2).toInt());
  const QSize forSize(forLine.captured(1).toInt(), forLine.captured(2).toInt());
  EXPECT_EQ(f.Image1->Picture().size(), inSize);
  EXPECT_EQ(f.Image2->Picture().size(), forSize);
  EXPECT_EQ(QImage(v.Edit1Text).size(), inSize);

  const int beforeCompare = w.LogLines().size();
  f.Button6Click(nullptr);
  QStringList lines = LogFrom(beforeCompare);
  if (v.LogsProcessingNotice) {
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Processing... please wait, this can take a while..."));
  }
  ASSERT_GE(lines.size(), 3) << lines.join(u'\n').toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("Successful search, match count: 1"));
  const Placement p = Expected(GetParam().name);
  const QString at = QStringLiteral("Found at position: %1x%2 difference: ").arg(p.x).arg(p.y);
  EXPECT_TRUE(lines[1].startsWith(at)) << lines[1].toStdString();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Processing time: \\d\\d:\\d\\d:\\d\\d\\.\\d\\d$"))
                  .match(lines[2])
                  .hasMatch());
  EXPECT_EQ(f.ProgressBar1->value(), 100);

  // The outline stands at the match, in the picture's own pixels.
  const QImage& picture = f.Image1->Picture();
  const int w_ = v.OutlineIsWholePicture ? picture.width() : p.w;
  const int h_ = v.OutlineIsWholePicture ? picture.height() : p.h;
  EXPECT_TRUE(IsRed(picture, p.x + w_ / 2, p.y));
  EXPECT_TRUE(IsRed(picture, std::min(p.x + w_, picture.width() - 1), p.y + h_ / 2));
  EXPECT_TRUE(IsRed(picture, p.x, p.y + h_ / 2));
  if (!v.OutlineIsWholePicture) {
    EXPECT_FALSE(IsRed(picture, p.x + w_ / 2, p.y + h_ / 2));
  }

  const int beforeFree = w.LogLines().size();
  f.Button5Click(nullptr);
  EXPECT_EQ(LogFrom(beforeFree), (QStringList{QStringLiteral("Freed object: ") + v.Edit1Text,
                                              QStringLiteral("Freed object: ") + v.Edit2Text}));
  EXPECT_TRUE(f.Image1->Picture().isNull());
  EXPECT_TRUE(f.Image2->Picture().isNull());
  // Free Object again: the library no longer knows the objects.
  f.Button5Click(nullptr);
  EXPECT_EQ(LogFrom(beforeFree + 2), (QStringList{QStringLiteral("Error freeing object, error code: 4"),
                                                  QStringLiteral("Error freeing object, error code: 4")}));
  // Compare after Free Object.
  const int afterFree = w.LogLines().size();
  f.Button6Click(nullptr);
  QStringList afterLines = LogFrom(afterFree);
  if (v.LogsProcessingNotice) afterLines.removeFirst();
  EXPECT_EQ(afterLines,
            (QStringList{QStringLiteral("Error while processing, error code: 4"), QStringLiteral("No match found.")}));
}

TEST_P(RealLibrary, TwoComparesAccumulateOutlines) {
  TForm1& f = *w.form;
  f.Button4Click(nullptr);
  f.Button6Click(nullptr);
  const QImage once = f.Image1->Picture();
  // Widen the tolerances so that the second search finds more.
  for (TEdit* e : {f.Edit3, f.Edit4, f.Edit5, f.Edit6}) e->setText(QStringLiteral("100"));
  f.TrackBar9->SetPosition(1000);
  f.Button6Click(nullptr);
  const QImage twice = f.Image1->Picture();
  int redOnce = 0, redTwice = 0, lost = 0;
  for (int y = 0; y < once.height(); ++y)
    for (int x = 0; x < once.width(); ++x) {
      redOnce += IsRed(once, x, y);
      redTwice += IsRed(twice, x, y);
      lost += IsRed(once, x, y) && !IsRed(twice, x, y);
    }
  EXPECT_GT(redOnce, 0);
  EXPECT_EQ(lost, 0);
  EXPECT_GE(redTwice, redOnce);
  EXPECT_EQ(w.LogLines().filter(QStringLiteral("Successful search, match count: ")).size(), 2);
}

TEST_P(RealLibrary, WideOpenTolerancesLogEveryMatchAndTheWindowGoesOn) {
  TForm1& f = *w.form;
  f.Button4Click(nullptr);
  for (TEdit* e : {f.Edit3, f.Edit4, f.Edit5, f.Edit6}) e->setText(QStringLiteral("255"));
  f.TrackBar9->SetPosition(1000);
  f.Button6Click(nullptr);
  const QStringList lines = w.LogLines();
  const QStringList counts = lines.filter(QStringLiteral("Successful search, match count: "));
  ASSERT_EQ(counts.size(), 1);
  const int count = counts[0].section(u' ', -1).toInt();
  EXPECT_GE(count, 1);
  EXPECT_EQ(lines.filter(QStringLiteral("Found at position: ")).size(), count);
  EXPECT_TRUE(lines.back().startsWith(QStringLiteral("Processing time: ")));
  f.Button5Click(nullptr);
  EXPECT_TRUE(w.LogLines().back().startsWith(QStringLiteral("Freed object: ")));
}

TEST_P(RealLibrary, NoMatchWhenTheSearchForPictureIsNotThere) {
  TForm1& f = *w.form;
  QTemporaryDir dir;
  QImage checkers(24, 24, QImage::Format_RGB32);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      checkers.setPixelColor(x, y, ((x / 4 + y / 4) % 2) ? QColor(255, 0, 255) : QColor(0, 255, 0));
  const QString absent =
      dir.filePath(v.SearchForPreviewByToolkit ? QStringLiteral("absent.png") : QStringLiteral("absent.jpg"));
  ASSERT_TRUE(checkers.save(absent, v.SearchForPreviewByToolkit ? "PNG" : "JPEG", 100));
  f.Edit2->setText(absent);
  f.Button4Click(nullptr);
  for (TEdit* e : {f.Edit3, f.Edit4, f.Edit5, f.Edit6}) e->setText(QStringLiteral("0"));
  f.TrackBar9->SetPosition(0);
  const int before = w.LogLines().size();
  f.Button6Click(nullptr);
  QStringList lines = LogFrom(before);
  if (v.LogsProcessingNotice) lines.removeFirst();
  EXPECT_EQ(lines, QStringList{QStringLiteral("No match found.")});
}

TEST_P(RealLibrary, FilesTheLibraryCannotReadAreLoggedWithItsCode) {
  TForm1& f = *w.form;
  QTemporaryDir dir;
  const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
  QFile file(broken);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\xFF\xD8\xFF\xE0 not really a JPEG");
  file.close();
  const std::pair<QString, QString> names[] = {{QString(), v.Edit2Text},
                                               {QStringLiteral("missing.png"), v.Edit2Text},
                                               {broken, v.Edit2Text},
                                               {QStringLiteral("naïve ✓.png"), v.Edit2Text}};
  for (const auto& [first, second] : names) {
    f.Edit1->setText(first);
    f.Edit2->setText(second);
    const int before = w.LogLines().size();
    f.Button4Click(nullptr);
    const QStringList lines = LogFrom(before);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Error creating object, error code: 3")) << first.toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Created object: $")));
    if (v.LogsLoadingTime) {
      EXPECT_EQ(lines.size(), 3);
    }
  }
}

TEST_P(RealLibrary, ASearchForPictureLargerThanTheSearchInPictureIsADimensionsError) {
  if (v.OutlineIsWholePicture || v.StretchCompare)
    GTEST_SKIP() << "the search-for picture is brought to sizes that fit";
  TForm1& f = *w.form;
  f.Edit1->setText(v.Edit2Text);
  f.Edit2->setText(v.Edit1Text);
  f.Button4Click(nullptr);
  const int before = w.LogLines().size();
  f.Button6Click(nullptr);
  QStringList lines = LogFrom(before);
  if (v.LogsProcessingNotice) lines.removeFirst();
  EXPECT_EQ(lines,
            (QStringList{QStringLiteral("Error while processing, error code: 5"), QStringLiteral("No match found.")}));
}

TEST_P(RealLibrary, CreateTwiceMakesNewObjectsAndShowsThePicturesNamedNow) {
  TForm1& f = *w.form;
  f.Button4Click(nullptr);
  const void* first = Unit1::PXObjectSearchIn.ImageObject;
  f.Edit1->setText(v.Edit2Text);
  f.Button4Click(nullptr);
  EXPECT_NE(Unit1::PXObjectSearchIn.ImageObject, first);
  EXPECT_EQ(w.LogLines().filter(QStringLiteral("Created object: $")).size(), 4);
  EXPECT_EQ(f.Image1->Picture().size(), QImage(v.Edit2Text).size());
}

INSTANTIATE_TEST_SUITE_P(Programs, RealLibrary, ::testing::ValuesIn(kPrograms), ProgramName);

TEST(RealLibraryScaled, ASearchForFileTheToolkitCannotLoadEndsCreateWithTheErrorBox) {
  QTemporaryDir dir;
  const QString other = dir.filePath(QStringLiteral("icon.bmp"));
  ASSERT_TRUE(QImage(QStringLiteral(SAMPLES_DIR "/SearchForAlpha.png")).save(other, "BMP"));
  WindowFixture w;
  w.Open(Variants::SeekScaled());
  w.form->Edit1->setText(QStringLiteral(SAMPLES_DIR "/SearchInAlphaStretched.PNG"));
  w.form->Edit2->setText(other);
  w.answerer->boxes.clear();
  w.form->Button4->click();
  ASSERT_EQ(w.answerer->boxes.size(), 1u);
  EXPECT_EQ(w.answerer->boxes[0].text, QStringLiteral("Unknown picture file extension (.bmp)"));
  EXPECT_EQ(w.LogLines().filter(QStringLiteral("Created object: $")).size(), 2);
  EXPECT_TRUE(w.form->Image2->Picture().isNull());
}

}  // namespace
