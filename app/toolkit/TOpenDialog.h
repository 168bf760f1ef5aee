// The open-file dialog: modal, no file-type filter, no title of its own, no
// initial folder. It keeps the file name last chosen through it and offers it
// at its next opening.
#pragma once

#include <QString>

class QWidget;

class TOpenDialog {
 public:
  QString FileName;
  // Opens the dialog; true when the user chose a file (then in FileName).
  bool Execute(QWidget* owner);
};
