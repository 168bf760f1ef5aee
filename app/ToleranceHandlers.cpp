// The tolerance edits and sliders: each slider writes its position into its
// edit; each edit, when the focus leaves it, converts its text and moves the
// slider.
#include "Unit1.h"
#include "toolkit/Conversions.h"
#include "toolkit/TEdit.h"
#include "toolkit/TTrackBar.h"

#include <QLabel>

namespace Unit1 {

namespace {

template <typename T>
QString HundredthsText(int position) {
  return Conversions::FloatToStr<T>(static_cast<T>(position) / 100);
}

}  // namespace

template <typename T>
T TForm1::AhslNumber(const TEdit* edit) const {
  // The library takes the tolerances as doubles: a value beyond a double's
  // range is refused also where the text is read in extended precision.
  return Conversions::StrToDoubleRangeFloat<T>(edit->text());
}

double TForm1::AhslTolerance(const TEdit* edit) const {
  if (Variant.ExtendedPrecision) return static_cast<double>(AhslNumber<long double>(edit));
  return AhslNumber<double>(edit);
}

void TForm1::SliderToEdit(int pair) {
  const TolerancePair& p = TolerancePairs[pair];
  const int position = (this->*p.Slider)->Position();
  QString text;
  if (!p.Hundredths)
    text = QString::number(position);
  else if (Variant.ExtendedPrecision)
    text = HundredthsText<long double>(position);
  else
    text = HundredthsText<double>(position);
  (this->*p.Edit)->setText(text);
}

void TForm1::EditToSlider(int pair) {
  const TolerancePair& p = TolerancePairs[pair];
  const TEdit* edit = this->*p.Edit;
  int position;
  // The hundredfold value is truncated in the program's precision.
  if (!p.Hundredths)
    position = Conversions::StrToInt(edit->text());
  else if (Variant.ExtendedPrecision)
    position = Conversions::TruncToInt32<long double>(AhslNumber<long double>(edit) * 100);
  else
    position = Conversions::TruncToInt32<double>(AhslNumber<double>(edit) * 100);
  // A changed position runs the slider's change handler, which rewrites the edit.
  (this->*p.Slider)->SetPosition(position);
}

void TForm1::TrackBar9Change(QObject*) { Label14->setText(QString::number(TrackBar9->Position())); }

}  // namespace Unit1
