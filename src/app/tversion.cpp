#include "app/tversion.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/fonts.h"

namespace zamiro {

TVersion::TVersion(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zamiro Version 1.53"));
  setFixedSize(360, 206);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  auto* icon = new QLabel(this);
  icon->setObjectName("Image1");
  icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  icon->setGeometry(16, 24, 32, 32);
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setGeometry(56, 8, 281, 145);
  const char* texts[] = {"Zamiro", "Version 1.53", "タートルグラフィックスの Logo",
                         "Linux デスクトップ版"};
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(QString::fromUtf8(texts[i]), panel);
    label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    label->setFont(GothicFont(16));
    label->move(32, 16 + 32 * i);
    label->adjustSize();
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("BitBtn1");
  ok->setGeometry(152, 168, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zamiro
