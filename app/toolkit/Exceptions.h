// Errors that a window handler raises and does not catch itself. The toolkit
// glue catches them where it delivers the event and shows the error box.
#pragma once

#include <QString>

#include <exception>

// Base of the errors the window reports: a message in the window's own text.
class Exception : public std::exception {
 public:
  explicit Exception(QString message) : Message(std::move(message)), utf8_(Message.toUtf8()) {}
  const char* what() const noexcept override { return utf8_.constData(); }
  const QString Message;

 private:
  QByteArray utf8_;
};

// A text that does not convert to a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A picture file the toolkit cannot load.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
