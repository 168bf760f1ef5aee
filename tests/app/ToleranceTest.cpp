// The tolerance edits and sliders keep each other in step as the user types,
// tabs out and moves the sliders.
#include "WindowFixture.h"
#include "toolkit/TEdit.h"
#include "toolkit/TTrackBar.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

using Unit1::TForm1;

enum Programs : unsigned { kBasic = 1, kScaled = 2, kFiltered = 4, kAll = 7, kDouble = kScaled | kFiltered };

struct EditCase {
  const char* name;
  unsigned programs;
  TEdit* TForm1::*edit;
  TTrackBar* TForm1::*slider;
  int before;  // slider position before the text is typed
  const char* typed;
  int after;             // slider position afterwards
  const char* shows;     // the edit's text afterwards
  const char* errorBox;  // the error box's text, or null
};

const EditCase kEditCases[] = {
    {"IntegerMovesTheSlider", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "40", 40, "40", nullptr},
    {"LeadingZerosAreRewrittenWhenTheSliderMoves", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "007", 7, "7",
     nullptr},
    {"TextOfTheSamePositionStaysAsTyped", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "015", 15, "015", nullptr},
    {"HexAtTheSamePositionStaysAsTyped", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "$F", 15, "$F", nullptr},
    {"AboveTheRangeStopsAtTheEnd", kAll, &TForm1::Edit4, &TForm1::TrackBar2, 15, "250", 100, "100", nullptr},
    {"AboveTheRangeAtTheEndStaysAsTyped", kAll, &TForm1::Edit4, &TForm1::TrackBar2, 100, "250", 100, "250", nullptr},
    {"NegativeStopsAtZero", kAll, &TForm1::Edit5, &TForm1::TrackBar3, 15, "-5", 0, "0", nullptr},
    {"AllBitsSetIsMinusOne", kAll, &TForm1::Edit5, &TForm1::TrackBar3, 15, "$FFFFFFFF", 0, "0", nullptr},
    {"GarbageIsReported", kAll, &TForm1::Edit6, &TForm1::TrackBar4, 15, "abc", 15, "abc",
     "''abc'' is not a valid integer value."},
    {"EmptyIntegerIsReported", kAll, &TForm1::Edit6, &TForm1::TrackBar4, 15, "", 15, "",
     "'''' is not a valid integer value."},
    {"BeyondThirtyTwoBitsIsReported", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "99999999999", 15, "99999999999",
     "''99999999999'' is not a valid integer value."},
    {"TrailingBlankIsReported", kAll, &TForm1::Edit3, &TForm1::TrackBar1, 15, "15 ", 15, "15 ",
     "''15 '' is not a valid integer value."},
    {"FractionMovesTheSlider", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0.3", 30, "0.3", nullptr},
    {"FinerFractionAtTheSamePositionStays", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0.505", 50, "0.505",
     nullptr},
    {"FinerFractionElsewhereIsRewritten", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 40, "0.505", 50, "0.5", nullptr},
    {"ExponentAtTheSamePositionStays", kAll, &TForm1::Edit10, &TForm1::TrackBar8, 50, "5e-1", 50, "5e-1", nullptr},
    {"TruncatesNotRounds", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0.999", 99, "0.99", nullptr},
    {"DoublePrecisionTruncates029To28", kDouble, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0.29", 28, "0.28", nullptr},
    {"ExtendedPrecisionKeeps029At29", kBasic, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0.29", 29, "0.29", nullptr},
    {"HEditMovesTheHSlider", kAll, &TForm1::Edit9, &TForm1::TrackBar6, 50, "0.2", 20, "0.2", nullptr},
    {"SEditMovesTheSSlider", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "0.7", 70, "0.7", nullptr},
    {"HugeFractionStopsAtTheEnd", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "1e30", 100, "1", nullptr},
    {"HugeNegativeFractionStopsAtZero", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "-1e30", 0, "0", nullptr},
    {"FractionGarbageIsReported", kAll, &TForm1::Edit9, &TForm1::TrackBar6, 50, "0.5x", 50, "0.5x",
     "'0.5x' is not a valid floating point value."},
    {"EmptyFractionIsReported", kAll, &TForm1::Edit10, &TForm1::TrackBar8, 50, "", 50, "",
     "'' is not a valid floating point value."},
    {"CommaInAPointLocaleIsReported", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 50, "0,3", 50, "0,3",
     "'0,3' is not a valid floating point value."},
    // A value that does not fit a double is refused also where the text is
    // read in extended precision, as Compare refuses it.
    {"BeyondDoubleIsReported", kAll, &TForm1::Edit7, &TForm1::TrackBar5, 50, "1e400", 50, "1e400",
     "'1e400' is not a valid floating point value."},
    {"BeyondDoubleNegativeIsReported", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "-2e308", 50, "-2e308",
     "'-2e308' is not a valid floating point value."},
    {"LargestDoubleStopsAtTheEnd", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "1.7e308", 100, "1", nullptr},
    {"BelowTheSmallestDoubleIsZero", kAll, &TForm1::Edit8, &TForm1::TrackBar7, 50, "1e-400", 0, "0", nullptr},
};

struct Combination {
  ProgramCase program;
  EditCase edit;
};

std::vector<Combination> AllCombinations() {
  std::vector<Combination> all;
  for (unsigned i = 0; i < 3; ++i)
    for (const EditCase& c : kEditCases)
      if (c.programs & (1u << i)) all.push_back({kPrograms[i], c});
  return all;
}

class ToleranceEdit : public ::testing::TestWithParam<Combination> {
 protected:
  WindowFixture w;
};

// Types the text into the edit and leaves it with Tab, as a user does.
void TypeAndTabOut(TEdit* edit, const QString& text) {
  // A closed error box hands the activation back asynchronously.
  edit->window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(edit->window()));
  edit->setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(edit->hasFocus());
  edit->setText(text);
  QTest::keyClick(edit, Qt::Key_Tab);
  ASSERT_FALSE(edit->hasFocus());
}

TEST_P(ToleranceEdit, LeavingTheEditConvertsItsText) {
  const EditCase& c = GetParam().edit;
  w.Open(GetParam().program.variant());
  w.ShowActive();
  TEdit* edit = (*w.form).*c.edit;
  TTrackBar* slider = (*w.form).*c.slider;
  slider->SetPosition(c.before);
  w.answerer->boxes.clear();
  TypeAndTabOut(edit, QString::fromUtf8(c.typed));
  EXPECT_EQ(slider->Position(), c.after);
  EXPECT_EQ(edit->text(), QString::fromUtf8(c.shows));
  if (c.errorBox) {
    ASSERT_EQ(w.answerer->boxes.size(), 1u);
    EXPECT_EQ(w.answerer->boxes[0].text, QString::fromUtf8(c.errorBox));
    EXPECT_EQ(w.answerer->boxes[0].title, QStringLiteral("Pexora Library Tutorial"));
    EXPECT_EQ(w.answerer->boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(w.answerer->boxes[0].buttons, QStringList{QStringLiteral("OK")});
  } else {
    EXPECT_TRUE(w.answerer->boxes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ToleranceEdit, ::testing::ValuesIn(AllCombinations()), [](const auto& info) {
  return std::string(info.param.program.name) + "_" + info.param.edit.name;
});

class ToleranceSlider : public ::testing::TestWithParam<ProgramCase> {
 protected:
  WindowFixture w;
};

TEST_P(ToleranceSlider, EachSliderWritesIntoItsOwnEdit) {
  w.Open(GetParam().variant());
  TForm1& f = *w.form;
  f.TrackBar6->SetPosition(33);
  EXPECT_EQ(f.Edit9->text(), QStringLiteral("0.33"));
  EXPECT_EQ(f.Edit8->text(), QStringLiteral("0.5"));
  f.TrackBar7->SetPosition(5);
  EXPECT_EQ(f.Edit8->text(), QStringLiteral("0.05"));
  f.TrackBar8->SetPosition(100);
  EXPECT_EQ(f.Edit10->text(), QStringLiteral("1"));
  f.TrackBar5->SetPosition(0);
  EXPECT_EQ(f.Edit7->text(), QStringLiteral("0"));
  f.TrackBar2->SetPosition(77);
  EXPECT_EQ(f.Edit4->text(), QStringLiteral("77"));
  f.TrackBar9->SetPosition(1000);
  EXPECT_EQ(f.Label14->text(), QStringLiteral("1000"));
  f.TrackBar9->SetPosition(5000);
  EXPECT_EQ(f.TrackBar9->Position(), 1000);
}

TEST_P(ToleranceSlider, SettingTheSamePositionLeavesTheEditAlone) {
  w.Open(GetParam().variant());
  TForm1& f = *w.form;
  f.Edit3->setText(QStringLiteral("015"));
  f.TrackBar1->SetPosition(15);
  EXPECT_EQ(f.Edit3->text(), QStringLiteral("015"));
}

// Where the slider's thumb is drawn now.
QRect Thumb(TTrackBar* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = Qt::Horizontal;
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = option.sliderValue = slider->value();
  option.tickPosition = slider->tickPosition();
  return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

TEST_P(ToleranceSlider, AClickOnTheThumbThatDoesNotMoveItRewritesTheEdit) {
  w.Open(GetParam().variant());
  w.ShowActive();
  TForm1& f = *w.form;
  f.Edit3->setText(QStringLiteral("015"));
  const QRect thumb = Thumb(f.TrackBar1);
  QTest::mouseClick(f.TrackBar1, Qt::LeftButton, {}, thumb.center());
  EXPECT_EQ(f.TrackBar1->Position(), 15);
  EXPECT_EQ(f.Edit3->text(), QStringLiteral("15"));
}

TEST_P(ToleranceSlider, OtherMouseButtonsNeitherMoveTheSliderNorRewriteTheEdit) {
  w.Open(GetParam().variant());
  w.ShowActive();
  TForm1& f = *w.form;
  f.Edit3->setText(QStringLiteral("015"));
  const QPoint farRight(f.TrackBar1->width() - 3, Thumb(f.TrackBar1).center().y());
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    SCOPED_TRACE(button);
    QTest::mouseClick(f.TrackBar1, button, {}, Thumb(f.TrackBar1).center());
    QTest::mouseClick(f.TrackBar1, button, {}, farRight);
    // A drag with the button held.
    QTest::mousePress(f.TrackBar1, button, {}, Thumb(f.TrackBar1).center());
    QMouseEvent move(QEvent::MouseMove, QPointF(farRight), f.TrackBar1->mapToGlobal(QPointF(farRight)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(f.TrackBar1, &move);
    QTest::mouseRelease(f.TrackBar1, button, {}, farRight);
    EXPECT_EQ(f.TrackBar1->Position(), 15);
    EXPECT_EQ(f.Edit3->text(), QStringLiteral("015"));
  }
  // The left button still pages towards the click.
  QTest::mouseClick(f.TrackBar1, Qt::LeftButton, {}, farRight);
  EXPECT_GT(f.TrackBar1->Position(), 15);
  EXPECT_EQ(f.Edit3->text(), QString::number(f.TrackBar1->Position()));
}

TEST_P(ToleranceSlider, AKeyAtTheEndOfTheRangeRewritesTheEdit) {
  w.Open(GetParam().variant());
  w.ShowActive();
  TForm1& f = *w.form;
  f.TrackBar4->SetPosition(0);
  f.Edit6->setText(QStringLiteral("-3"));
  f.TrackBar4->setFocus(Qt::TabFocusReason);
  QTest::keyClick(f.TrackBar4, Qt::Key_Home);
  EXPECT_EQ(f.TrackBar4->Position(), 0);
  EXPECT_EQ(f.Edit6->text(), QStringLiteral("0"));
  QTest::keyClick(f.TrackBar4, Qt::Key_PageUp);
  EXPECT_EQ(f.TrackBar4->Position(), 2);
  EXPECT_EQ(f.Edit6->text(), QStringLiteral("2"));
}

TEST_P(ToleranceSlider, ACommaLocaleReadsAndWritesCommas) {
  w.Open(GetParam().variant(), {}, TFormatSettings{u','});
  TForm1& f = *w.form;
  for (TEdit* e : {f.Edit7, f.Edit8, f.Edit9, f.Edit10}) EXPECT_EQ(e->text(), QStringLiteral("0,5"));
  w.ShowActive();
  w.answerer->boxes.clear();
  TypeAndTabOut(f.Edit7, QStringLiteral("0.3"));
  ASSERT_EQ(w.answerer->boxes.size(), 1u);
  EXPECT_EQ(w.answerer->boxes[0].text, QStringLiteral("'0.3' is not a valid floating point value."));
  EXPECT_EQ(f.TrackBar5->Position(), 50);
  TypeAndTabOut(f.Edit7, QStringLiteral("0,3"));
  EXPECT_EQ(f.TrackBar5->Position(), 30);
  EXPECT_EQ(f.Edit7->text(), QStringLiteral("0,3"));
  FormatSettings = TFormatSettings{};
}

INSTANTIATE_TEST_SUITE_P(Programs, ToleranceSlider, ::testing::ValuesIn(kPrograms), ProgramName);

}  // namespace
