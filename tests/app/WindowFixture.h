// A main window of one of the three programs, opened as the program opens it,
// with its units started and its modal boxes answered.
#pragma once

#include "FreeImageLoader.h"
#include "ModalAnswerer.h"
#include "PexoraDefs.h"
#include "PlatformLibrary.h"
#include "Unit1.h"
#include "toolkit/FormatSettings.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

class WindowFixture {
 public:
  // libraryFolder: where the search library is looked for first; empty means
  // next to the test executable, where the build puts the real library.
  void Open(const TVariant& variant, const std::string& libraryFolder = {}, TFormatSettings settings = {}) {
    if (!defaultFolder_) defaultFolder_ = PlatformLibrary::FirstSearchFolder();
    PlatformLibrary::SetFirstSearchFolder(libraryFolder.empty() ? *defaultFolder_ : libraryFolder);
    FormatSettings = settings;
    std::memset(&Unit1::PXObjectSearchIn, 0, sizeof Unit1::PXObjectSearchIn);
    std::memset(&Unit1::PXObjectSearchFor, 0, sizeof Unit1::PXObjectSearchFor);
    // The search library is bound anew for each window. FreeImage is bound
    // once for the whole run, as in a program: its binding keeps the first
    // module handle for good, so it is never unloaded and loaded again.
    PexoraDefs::InitPexoraLibrary();
    static const bool freeImageBound = (FreeImageLoader::InitFreeImageLibrary(), true);
    (void)freeImageBound;
    bound_ = true;
    answerer = std::make_unique<ModalAnswerer>();
    answerer->mainWindowVisible = [] { return Unit1::Form1 && Unit1::Form1->isVisible(); };
    form = std::make_unique<Unit1::TForm1>(variant);
  }

  // Shows the window and makes it the active one, so focus changes happen.
  void ShowActive() {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  void Close() {
    if (bound_) PexoraDefs::FreePexoraLibrary();
    bound_ = false;
    form.reset();
    answerer.reset();
  }

  ~WindowFixture() { Close(); }

  QStringList LogLines() const {
    const QString text = form->Memo1->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(u'\n');
  }

  std::unique_ptr<ModalAnswerer> answerer;
  std::unique_ptr<Unit1::TForm1> form;

 private:
  static inline std::optional<std::string> defaultFolder_;
  bool bound_ = false;
};

// The three programs, for parameterised tests.
struct ProgramCase {
  const char* name;
  const TVariant& (*variant)();
};

inline const ProgramCase kPrograms[] = {
    {"seekbasic", &Variants::SeekBasic},
    {"seekscaled", &Variants::SeekScaled},
    {"seekfiltered", &Variants::SeekFiltered},
};

inline void PrintTo(const ProgramCase& program, std::ostream* os) { *os << program.name; }

inline std::string ProgramName(const ::testing::TestParamInfo<ProgramCase>& info) { return info.param.name; }
