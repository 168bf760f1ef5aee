// The main window as each program opens it: log, information box, defaults,
// tab order, anchors, Exit and the file choosers.
#include "WindowFixture.h"
#include "toolkit/SingleBorderFrame.h"
#include "toolkit/TEdit.h"
#include "toolkit/TImage.h"
#include "toolkit/TTrackBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>

namespace {

class Startup : public ::testing::TestWithParam<ProgramCase> {
 protected:
  WindowFixture w;
  const TVariant& v = GetParam().variant();
};

TEST_P(Startup, WithTheLibraryTheLogHoldsTheLoadedAndReadyLines) {
  w.Open(v);
  EXPECT_EQ(w.LogLines(), (QStringList{QStringLiteral("Pexora.dll loaded."), v.Caption + QStringLiteral(" ready.")}));
}

TEST_P(Startup, WithoutTheLibraryTheLogHoldsOneErrorLineAndTheWindowStillOpens) {
  QTemporaryDir empty;
  w.Open(v, empty.path().toStdString());
  EXPECT_EQ(w.LogLines(), QStringList{QStringLiteral("Error loading Pexora.dll")});
  ASSERT_EQ(w.answerer->boxes.size(), 1u);
  EXPECT_TRUE(w.form->Button4->isEnabled());
}

TEST_P(Startup, TheInformationBoxComesBeforeTheWindowIsShown) {
  w.Open(v);
  ASSERT_EQ(w.answerer->boxes.size(), 1u);
  const ShownBox& box = w.answerer->boxes[0];
  EXPECT_EQ(box.title, QStringLiteral("Information"));
  EXPECT_EQ(box.text, v.InformationText);
  EXPECT_EQ(box.icon, QMessageBox::Information);
  EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
  EXPECT_FALSE(box.mainWindowVisible);
  EXPECT_FALSE(w.form->isVisible());
}

TEST_P(Startup, ControlsShowTheirDefaults) {
  w.Open(v);
  Unit1::TForm1& f = *w.form;
  EXPECT_EQ(f.windowTitle(), v.Caption);
  EXPECT_EQ(f.size(), QSize(653, 695));
  EXPECT_EQ(f.Edit1->text(), v.Edit1Text);
  EXPECT_EQ(f.Edit2->text(), v.Edit2Text);
  for (TEdit* e : {f.Edit3, f.Edit4, f.Edit5, f.Edit6}) EXPECT_EQ(e->text(), QStringLiteral("15"));
  for (TEdit* e : {f.Edit7, f.Edit8, f.Edit9, f.Edit10}) EXPECT_EQ(e->text(), QStringLiteral("0.5"));
  for (TTrackBar* t : {f.TrackBar1, f.TrackBar2, f.TrackBar3, f.TrackBar4}) EXPECT_EQ(t->Position(), 15);
  for (TTrackBar* t : {f.TrackBar5, f.TrackBar6, f.TrackBar7, f.TrackBar8}) {
    EXPECT_EQ(t->Position(), 50);
    EXPECT_EQ(t->maximum(), 100);
    EXPECT_EQ(t->tickInterval(), 10);
  }
  EXPECT_EQ(f.TrackBar9->maximum(), 1000);
  EXPECT_EQ(f.TrackBar9->Position(), v.TrackBar9Position);
  EXPECT_EQ(f.Label14->text(), QString::number(v.TrackBar9Position));
  EXPECT_TRUE(f.RadioButton1->isChecked());
  EXPECT_FALSE(f.RadioButton2->isChecked());
  EXPECT_TRUE(f.CheckBox1->isChecked());
  EXPECT_EQ(f.ProgressBar1->value(), 0);
  EXPECT_EQ(f.GroupBox1->title(), QStringLiteral(" Options: "));
  EXPECT_EQ(f.Button4->geometry(), QRect(560, v.Button4Top, 75, 25));
  EXPECT_EQ(f.Button6->geometry(), QRect(560, v.Button6Top, 75, 25));
  EXPECT_EQ(f.TrackBar9->geometry(), QRect(546, v.TrackBar9Top, 99, 29));
  EXPECT_EQ(f.CheckBox1->geometry().top(), v.CheckBox1Top);
  EXPECT_EQ(f.Image1->geometry(), QRect(1, 1, 251, 251));
  EXPECT_TRUE(f.Image1->Picture().isNull());
  EXPECT_TRUE(f.font().bold());
  EXPECT_EQ(f.font().pixelSize(), 11);
  EXPECT_FALSE(f.Edit1->font().bold());
  if (v.HasResampler) {
    ASSERT_NE(f.ComboBox1, nullptr);
    EXPECT_EQ(f.ComboBox1->count(), 6);
    EXPECT_EQ(f.ComboBox1->currentIndex(), 2);
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("Bilinear filter"));
    EXPECT_FALSE(f.ComboBox1->isEditable());
    ASSERT_NE(f.Label15, nullptr);
    EXPECT_EQ(f.Label15->text(), QStringLiteral("Resampler:"));
  } else {
    EXPECT_EQ(f.ComboBox1, nullptr);
    EXPECT_EQ(f.Label15, nullptr);
  }
}

TEST_P(Startup, EditsHaveNoLengthLimit) {
  w.Open(v);
  w.ShowActive();
  Unit1::TForm1& f = *w.form;
  // Beyond the toolkit's default cut at 32767 characters, set and typed.
  const QString longText(40000, u'7');
  int n = 0;
  for (TEdit* e : {f.Edit1, f.Edit2, f.Edit3, f.Edit4, f.Edit5, f.Edit6, f.Edit7, f.Edit8, f.Edit9, f.Edit10}) {
    SCOPED_TRACE(++n);
    e->setText(longText);
    EXPECT_EQ(e->text().size(), 40000);
    e->setFocus(Qt::OtherFocusReason);
    e->end(false);
    QTest::keyClicks(e, QStringLiteral("12"));
    EXPECT_EQ(e->text().size(), 40002);
    EXPECT_TRUE(e->text().endsWith(QStringLiteral("12")));
  }
}

TEST_P(Startup, TabGoesThroughTheControlsInLayoutOrder) {
  w.Open(v);
  Unit1::TForm1& f = *w.form;
  std::vector<QWidget*> expected{f.Edit1,     f.Button2, f.Edit2,        f.Button3,      f.Memo1,     f.Button4,
                                 f.Button5,   f.Button6, f.RadioButton1, f.RadioButton2, f.Edit3,     f.TrackBar1,
                                 f.TrackBar2, f.Edit4,   f.TrackBar3,    f.Edit5,        f.TrackBar4, f.Edit6,
                                 f.Edit7,     f.Edit8,   f.Edit9,        f.TrackBar5,    f.TrackBar6, f.TrackBar7,
                                 f.TrackBar8, f.Edit10,  f.TrackBar9,    f.CheckBox1};
  if (f.ComboBox1) expected.push_back(f.ComboBox1);
  expected.push_back(f.Button1);
  std::vector<QWidget*> chain;
  QWidget* at = f.Edit1;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    chain.push_back(at);
    do at = at->nextInFocusChain();
    while (at->focusPolicy() == Qt::NoFocus || !at->isEnabled() || at == &f || !f.isAncestorOf(at));
  }
  EXPECT_EQ(chain, expected);
}

TEST_P(Startup, MaximisingMovesAndWidensOnlyTheAnchoredControls) {
  w.Open(v);
  Unit1::TForm1& f = *w.form;
  f.show();
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const int dw = screen.width() - 653, dh = screen.height() - 695;
  ASSERT_GT(dw, 0);
  ASSERT_GT(dh, 0);
  const QRect progress = f.ProgressBar1->geometry(), image = f.Panel1->geometry(), slider = f.TrackBar9->geometry();
  f.resize(screen);
  EXPECT_EQ(f.GroupBox1->geometry(), QRect(0, 0, 653 + dw, 660 + dh));
  EXPECT_EQ(f.Edit1->geometry(), QRect(162, 25, 433 + dw, 21));
  EXPECT_EQ(f.Edit2->geometry(), QRect(162, 52, 433 + dw, 21));
  EXPECT_EQ(f.Button2->geometry(), QRect(601 + dw, 23, 27, 25));
  EXPECT_EQ(f.Button4->geometry(), QRect(560 + dw, v.Button4Top, 75, 25));
  EXPECT_EQ(f.Button6->geometry(), QRect(560 + dw, v.Button6Top, 75, 25));
  EXPECT_EQ(f.GroupBox2->geometry(), QRect(8, 491 + dh, 637 + dw, 136));
  EXPECT_EQ(f.Memo1->geometry(), QRect(8, 16, 619 + dw, 112));
  EXPECT_EQ(f.Button1->geometry(), QRect(570 + dw, 666 + dh, 75, 25));
  EXPECT_EQ(f.ProgressBar1->geometry(), progress);
  EXPECT_EQ(f.Panel1->geometry(), image);
  EXPECT_EQ(f.TrackBar9->geometry(), slider);
  f.resize(653, 695);
  EXPECT_EQ(f.Edit1->geometry(), QRect(162, 25, 433, 21));
  EXPECT_EQ(f.Button1->geometry(), QRect(570, 666, 75, 25));
}

TEST_P(Startup, ADraggedSizeIsPutBackWhileMaximisedSizesStay) {
  w.Open(v);
  w.ShowActive();
  Unit1::TForm1& f = *w.form;
  // What a window manager does while the user drags the frame's corner.
  f.resize(800, 760);
  QTRY_COMPARE_WITH_TIMEOUT(f.size(), QSize(653, 695), 2000);
  EXPECT_EQ(f.Edit1->geometry(), QRect(162, 25, 433, 21));
  f.showMaximized();
  QTRY_VERIFY_WITH_TIMEOUT(f.isMaximized(), 2000);
  const QSize maximised = QGuiApplication::primaryScreen()->availableGeometry().size();
  QTRY_COMPARE_WITH_TIMEOUT(f.size(), maximised, 2000);
  QTest::qWait(400);
  EXPECT_EQ(f.size(), maximised);
  EXPECT_EQ(f.Button1->geometry(), QRect(570 + maximised.width() - 653, 666 + maximised.height() - 695, 75, 25));
  f.showNormal();
  QTRY_COMPARE_WITH_TIMEOUT(f.size(), QSize(653, 695), 2000);
  EXPECT_EQ(f.Button1->geometry(), QRect(570, 666, 75, 25));
}

TEST_P(Startup, ExitClosesTheWindow) {
  w.Open(v);
  w.ShowActive();
  w.form->Button1->click();
  EXPECT_FALSE(w.form->isVisible());
}

TEST_P(Startup, FileChoosersShareOneDialogThatRemembersTheLastName) {
  w.Open(v);
  w.ShowActive();
  QTemporaryDir dir;
  const QString chosen = dir.filePath(QStringLiteral("picked.png"));
  QFile(chosen).open(QIODevice::WriteOnly);

  w.form->Edit1->setText(QStringLiteral("typed by the user"));
  w.answerer->fileDialog = [](const QString&) { return QString(); };
  w.form->Button2->click();
  EXPECT_EQ(w.form->Edit1->text(), QStringLiteral("typed by the user"));

  w.answerer->fileDialog = [&](const QString&) { return chosen; };
  w.form->Button2->click();
  EXPECT_EQ(w.form->Edit1->text(), chosen);

  w.answerer->fileDialog = [](const QString&) { return QString(); };
  w.form->Button3->click();
  EXPECT_EQ(w.form->Edit2->text(), v.Edit2Text);
  ASSERT_EQ(w.answerer->offeredFileNames.size(), 3u);
  EXPECT_EQ(QFileInfo(w.answerer->offeredFileNames[2]).fileName(), QStringLiteral("picked.png"));
}

TEST(CentredPosition, CentresTheFrameButNotBeyondTheDesktopsEdges) {
  struct Case {
    QRect screen, desktop;
    QSize frame;
    QPoint topLeft;
  };
  const Case cases[] = {
      {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {653, 695}, {313, 164}},
      // A frame of a window manager: its own size counts, not the client's.
      {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {655, 720}, {312, 152}},
      // Odd room left over: integer division.
      {{0, 0, 1281, 1025}, {0, 0, 1281, 1025}, {654, 696}, {313, 164}},
      // A panel along the top: the desktop starts below it.
      {{0, 0, 1280, 1024}, {0, 200, 1280, 824}, {655, 720}, {312, 200}},
      // Larger than the screen: at the desktop's left and top edges.
      {{0, 0, 640, 480}, {0, 0, 640, 480}, {655, 720}, {0, 0}},
      {{0, 0, 640, 480}, {40, 30, 600, 450}, {655, 720}, {40, 30}},
  };
  for (const Case& c : cases) EXPECT_EQ(CentredPosition(c.screen, c.desktop, c.frame), c.topLeft);
}

INSTANTIATE_TEST_SUITE_P(Programs, Startup, ::testing::ValuesIn(kPrograms), ProgramName);

}  // namespace
