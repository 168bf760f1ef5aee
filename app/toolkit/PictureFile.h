// Loading a picture file straight into a picture control, with the decoder
// chosen by the file name's extension among the extensions a program
// registered. The picture keeps its own format (a PNG keeps its transparency).
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace PictureFile {

// Raises EInvalidGraphic when the extension has no registered decoder or the
// file cannot be read or decoded.
QImage LoadFromFile(const QString& fileName, const QStringList& registeredExtensions);

}  // namespace PictureFile
