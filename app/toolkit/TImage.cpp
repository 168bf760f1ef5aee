#include "TImage.h"

#include <QPainter>

void TImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

QImage& TImage::Canvas() {
  if (picture_.isNull()) {
    picture_ = QImage(size(), QImage::Format_RGB32);
    picture_.fill(Qt::white);
  }
  return picture_;
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), picture_);
}
