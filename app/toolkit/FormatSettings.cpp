#include "FormatSettings.h"

#include <QLocale>

TFormatSettings FormatSettings;

void GetLocaleFormatSettings() {
  const QString point = QLocale::system().decimalPoint();
  FormatSettings.DecimalSeparator = point.isEmpty() ? QChar(u'.') : point.front();
}
