// The about box.
#pragma once

#include <QDialog>

namespace zamiro {

class TVersion : public QDialog {
  Q_OBJECT
 public:
  explicit TVersion(QWidget* parent = nullptr);
};

}  // namespace zamiro
