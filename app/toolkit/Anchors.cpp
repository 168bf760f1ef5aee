#include "Anchors.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

void AnchorKeeper::Anchor(QWidget* control, TAnchors anchors) {
  QWidget* parent = control->parentWidget();
  const bool watched = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const Entry& e) { return e.control->parentWidget() == parent; });
  entries_.push_back({control, anchors, control->geometry(), parent->size()});
  if (!watched) parent->installEventFilter(this);
}

bool AnchorKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    for (const Entry& e : entries_) {
      if (e.control->parentWidget() != watched) continue;
      const QSize now = e.control->parentWidget()->size();
      const int dw = now.width() - e.parentDesign.width();
      const int dh = now.height() - e.parentDesign.height();
      QRect r = e.design;
      if ((e.anchors & akRight) && (e.anchors & akLeft))
        r.setWidth(e.design.width() + dw);
      else if (e.anchors & akRight)
        r.moveLeft(e.design.left() + dw);
      if ((e.anchors & akBottom) && (e.anchors & akTop))
        r.setHeight(e.design.height() + dh);
      else if (e.anchors & akBottom)
        r.moveTop(e.design.top() + dh);
      e.control->setGeometry(r);
    }
  }
  return QObject::eventFilter(watched, event);
}
