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

template <typename T>
int HundredfoldPosition(const QString& text) {
  const T value = Conversions::StrToFloat<T>(text);
  return Conversions::TruncToInt32<T>(value * 100);
}

}  // namespace

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
  const QString text = (this->*p.Edit)->text();
  int position;
  if (!p.Hundredths)
    position = Conversions::StrToInt(text);
  else if (Variant.ExtendedPrecision)
    position = HundredfoldPosition<long double>(text);
  else
    position = HundredfoldPosition<double>(text);
  // A changed position runs the slider's change handler, which rewrites the edit.
  (this->*p.Slider)->SetPosition(position);
}

void TForm1::TrackBar9Change(QObject*) { Label14->setText(QString::number(TrackBar9->Position())); }

double TForm1::AhslTolerance(const TEdit* edit) const {
  if (Variant.ExtendedPrecision) return static_cast<double>(Conversions::StrToFloat<long double>(edit->text()));
  return Conversions::StrToFloat<double>(edit->text());
}

}  // namespace Unit1
