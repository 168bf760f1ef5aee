#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

ModalAnswerer::ModalAnswerer() {
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start(5);
}

ModalAnswerer::~ModalAnswerer() { timer_.stop(); }

void ModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    if (!box->isVisible()) return;
    ShownBox shown{box->windowTitle(), box->text(), box->icon(), {}, mainWindowVisible && mainWindowVisible()};
    for (QAbstractButton* b : box->buttons()) shown.buttons << b->text();
    boxes.push_back(shown);
    box->accept();
    box->done(QMessageBox::Ok);
  } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
    if (!dialog->isVisible()) return;
    const QStringList selected = dialog->selectedFiles();
    const auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString offered = nameEdit ? nameEdit->text() : QString();
    offeredFileNames.push_back(selected.isEmpty() ? offered : selected.front());
    const QString choice = fileDialog ? fileDialog(offered) : QString();
    if (choice.isEmpty()) {
      dialog->reject();
    } else {
      dialog->selectFile(choice);
      static_cast<QDialog*>(dialog)->accept();
    }
  }
}
