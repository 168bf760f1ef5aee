// The number format settings of the process: the decimal separator with which
// numbers typed into the window are read and written. Set from the system's
// locale at start; tests may replace it.
#pragma once

#include <QChar>

struct TFormatSettings {
  QChar DecimalSeparator = u'.';
};

extern TFormatSettings FormatSettings;

// Sets FormatSettings from the system's locale.
void GetLocaleFormatSettings();
