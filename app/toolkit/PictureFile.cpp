#include "PictureFile.h"

#include "Exceptions.h"

#include <QFileInfo>
#include <QImageReader>

namespace PictureFile {

QImage LoadFromFile(const QString& fileName, const QStringList& registeredExtensions) {
  const QString extension = QFileInfo(fileName).suffix();
  if (!registeredExtensions.contains(extension, Qt::CaseInsensitive))
    throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
  if (!QFileInfo(fileName).isFile()) throw EInvalidGraphic(QStringLiteral("Cannot open file \"%1\"").arg(fileName));
  // The decoder follows the extension, not the content.
  const QByteArray format = extension.toLower() == u"png" ? QByteArray("png") : QByteArray("jpeg");
  QImageReader reader(fileName, format);
  reader.setDecideFormatFromContent(false);
  QImage image = reader.read();
  if (image.isNull())
    throw EInvalidGraphic(QStringLiteral("Cannot read picture file \"%1\": %2").arg(fileName, reader.errorString()));
  return image;
}

}  // namespace PictureFile
