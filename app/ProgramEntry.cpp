#include "ProgramEntry.h"

#include "ProgramUnits.h"
#include "Unit1.h"
#include "toolkit/FormatSettings.h"

#include <QApplication>

#include <memory>

int RunProgram(const TVariant& variant, const char* argv0) {
  ProgramUnits units;

  // The toolkit gets the program's name only: the programs read no arguments.
  int argc = 1;
  char* argv[] = {const_cast<char*>(argv0), nullptr};
  QApplication application(argc, argv);
  // The main window is a top-level window of its own, so it has its own
  // task-bar entry on this platform.
  QCoreApplication::setApplicationName(QStringLiteral("Pexora Library Tutorial"));
  GetLocaleFormatSettings();

  auto form = std::make_unique<Unit1::TForm1>(variant);
  form->show();
  const int status = application.exec();

  units.Finalize();
  form.reset();
  return status;
}
