// Keeps anchored sides of child controls at their distance to the parent's
// edges when the parent is resized. A control anchored left and right grows
// with its parent; one anchored right only moves with the right edge.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

class AnchorKeeper : public QObject {
 public:
  explicit AnchorKeeper(QObject* owner) : QObject(owner) {}
  // Records the control's present place and its parent's present size as the
  // design state that the anchors are kept from.
  void Anchor(QWidget* control, TAnchors anchors);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* control;
    TAnchors anchors;
    QRect design;
    QSize parentDesign;
  };
  std::vector<Entry> entries_;
};
