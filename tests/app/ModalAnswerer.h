// Answers the modal boxes and dialogs that a window opens while a test drives
// it, and records what they showed.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QFileDialog;

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QStringList buttons;
  bool mainWindowVisible;  // whether the window under test was visible then
};

class ModalAnswerer : public QObject {
 public:
  ModalAnswerer();
  ~ModalAnswerer() override;

  std::vector<ShownBox> boxes;
  // Tells whether the window under test is visible; recorded with each box.
  std::function<bool()> mainWindowVisible;
  // What to do with an open-file dialog: return the file to choose, or an
  // empty string to cancel. Also sees the file name the dialog offers.
  std::function<QString(const QString& offered)> fileDialog;
  std::vector<QString> offeredFileNames;

 private:
  void Poll();
  QTimer timer_;
};
