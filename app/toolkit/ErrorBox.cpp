#include "ErrorBox.h"

#include "Exceptions.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace ErrorBox {

QString ApplicationTitle() { return QCoreApplication::applicationName(); }

QString BoxText(const QString& message) {
  if (message.isEmpty() || message.back().unicode() <= u'.') return message;
  return message + u'.';
}

void ShowException(const QString& message) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), BoxText(message), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

bool Guarded(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const Exception& e) {
    ShowException(e.Message);
  } catch (const std::exception& e) {
    ShowException(QString::fromUtf8(e.what()));
  }
  return false;
}

}  // namespace ErrorBox
