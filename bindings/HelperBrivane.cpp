#include "HelperBrivane.h"

namespace HelperBrivane {

namespace {

// A field of one digit gets one "0" in front; longer ones stay as they are.
QString Field(std::uint64_t value) {
  QString text = QString::number(value);
  if (text.size() == 1) text.prepend(u'0');
  return text;
}

}  // namespace

QString mSec2Time(std::int64_t mSec) {
  if (mSec == 4294967295) mSec = 0;
  // The magnitude is taken unsigned so that the most negative count has one.
  const bool negative = mSec < 0;
  const std::uint64_t count = negative ? 0 - static_cast<std::uint64_t>(mSec) : static_cast<std::uint64_t>(mSec);

  const std::uint64_t seconds = count / 1000;
  const std::uint64_t hours = seconds / 3600;
  const std::uint64_t minutes = (seconds - hours * 3600) / 60;
  const std::uint64_t secs = seconds - hours * 3600 - minutes * 60;
  const std::uint64_t milliseconds = count - seconds * 1000;

  // Milliseconds padded to three digits, of which the first two are shown.
  const QString hundredths = QString::number(milliseconds).rightJustified(3, u'0').left(2);

  QString text = Field(hours) + u':' + Field(minutes) + u':' + Field(secs) + u'.' + hundredths;
  if (negative) text.prepend(u'-');
  return text;
}

}  // namespace HelperBrivane
