#include "app/tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QThread>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>

#include "app/fonts.h"
#include "app/picture_link.h"
#include "app/tform2.h"
#include "app/timage.h"
#include "app/tversion.h"
#include "interp/calls.h"
#include "interp/program_files.h"
#include "platform/cp932.h"

namespace zamiro {
namespace {

constexpr int kOutputLineLimit = 200000;  // the output keeps the newest lines
constexpr int kFrameIntervalMs = 16;

QString FromSjis(const std::string& s) { return QString::fromStdString(Cp932ToUtf8(s)); }

// Why a file could not be read or written, in the user's words.
QString FileProblem(int code, const std::string& reason) {
  switch (code) {
    case ENOENT: return QStringLiteral("ファイルかフォルダが見つかりません");
    case EACCES:
    case EPERM: return QStringLiteral("使う権限がありません");
    case EISDIR: return QStringLiteral("フォルダです");
    case EROFS: return QStringLiteral("書き込めない場所です");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクがいっぱいです");
    case kFileTooLarge:
      return QStringLiteral("大きすぎます（%1 MB まで）").arg(kMaxProgramFileBytes >> 20);
    case kNotAFile: return QStringLiteral("ふつうのファイルではありません");
    default: return QString::fromStdString(reason);
  }
}
std::string ToSjis(const QString& s) { return Utf8ToCp932(s.toStdString()); }

}  // namespace

TImage::TImage(InterpreterContext& c, QWidget* parent) : QWidget(parent), ctx_(c) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImage::RefreshIfChanged() {
  uint64_t g = PictureGeneration(ctx_);
  if (g != seen_) {
    seen_ = g;
    update();
  }
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  std::lock_guard<std::mutex> lock(PictureMutex(ctx_));
  p.drawImage(0, 0, PictureImage(ctx_));
}

TForm1::TForm1() : TForm1(Options{}) {}

TForm1::TForm1(Options options, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("ZAMIRO Ver 1.53"));
  setFont(GothicFont(12));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* top = new QHBoxLayout;
  top->setSpacing(0);

  Memo2 = new QPlainTextEdit(central);
  Memo2->setObjectName("Memo2");
  Memo2->setFixedWidth(121);
  Memo2->setFont(GothicFont(16));
  Memo2->setMaximumBlockCount(kOutputLineLimit);
  Memo2->setPlainText(QStringLiteral("PRINT の結果\n"));

  Panel1 = new QFrame(central);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  Panel1->setLineWidth(1);
  Panel1->setAutoFillBackground(true);
  Panel1->setPalette(pal);
  Panel1->setMinimumSize(2, 2);
  Panel1->installEventFilter(this);

  top->addWidget(Memo2);
  top->addWidget(Panel1, 1);

  Memo1 = new QPlainTextEdit(central);
  Memo1->setObjectName("Memo1");
  Memo1->setFixedHeight(96);
  Memo1->setFont(MinchoFont(16));
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->installEventFilter(this);

  outer->addLayout(top, 1);
  outer->addWidget(Memo1);
  setCentralWidget(central);
  MainMenu1 = menuBar();
  BuildMenus();

  FormCreate(options);

  Image1 = new TImage(*ctx_, Panel1);
  Image1->setObjectName("Image1");
  Form2 = new TForm2(this);
  Form2->setObjectName("Form2");

  // The picture pane starts 469 x 277: the output is 121 wide and the command line 96 high.
  central->setMinimumSize(0, 0);
  resize(121 + 469, 277 + 96 + MainMenu1->sizeHint().height());
  if (QScreen* screen = QApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  Memo1->setFocus();
  connect(&timer_, &QTimer::timeout, this, &TForm1::Tick);
  timer_.start(kFrameIntervalMs);
}

TForm1::~TForm1() { Shutdown(); }

void TForm1::FormCreate(const Options& options) {
  queue_ = std::make_unique<InputQueue>();
  host_ = std::make_unique<GuiHost>(this, *queue_);
  host_->showMessage = [this](const QString& caption, const QString& text,
                              std::function<void()> done) { ShowMessageBox(caption, text, done); };
  host_->showEditor = [this](const EditRequest& request, std::function<void(EditResult)> done) {
    ShowProcEditor(request, std::move(done));
  };
  ctx_ = std::make_unique<InterpreterContext>(*host_, *queue_);
  TYomikThd::Options threadOptions;
  threadOptions.startupPauseMs = options.startupPauseMs;
  thread_ = std::make_unique<TYomikThd>(*ctx_, threadOptions);
}

void TForm1::BuildMenus() {
  QMenu* k1 = MainMenu1->addMenu(QStringLiteral("ファイル"));
  k1->setObjectName("K1");
  QAction* open1 = k1->addAction(QStringLiteral("開く"), this, [this] { Open1Click(); });
  open1->setObjectName("Open1");
  QAction* k2 = k1->addAction(QStringLiteral("保存"), this, [this] { K2Click(); });
  k2->setObjectName("K2");
  QAction* print1 = k1->addAction(QStringLiteral("印刷"), this, [this] { Print1Click(); });
  print1->setObjectName("Print1");
  QAction* savePicture =
      k1->addAction(QStringLiteral("画像を保存"), this, [this] { SavePictureClick(); });
  savePicture->setObjectName("SavePicture1");
  QMenu* k3 = MainMenu1->addMenu(QStringLiteral("ヘルプ"));
  k3->setObjectName("K3");
  QAction* help = k3->addAction(QStringLiteral("LOGOについて"), this, [this] { KLOGO1Click(); });
  help->setObjectName("KLOGO1");
  QAction* version = k3->addAction(QStringLiteral("バージョン"), this, [this] { K4Click(); });
  version->setObjectName("K4");
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Memo1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Memo1KeyDown(key);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      Memo1KeyDown(key);
      return true;
    }
  }
  if (watched == Panel1 && event->type() == QEvent::Resize && shown_) FormResize();
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::Memo1KeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    ctx_->stopRequested = true;
    return;
  }
  // The whole text line under the caret, however the memo wraps it for display; then the memo
  // breaks the line at the caret as usual (Shift and Ctrl make no difference).
  QTextCursor cursor = Memo1->textCursor();
  queue_->Add(ToSjis(cursor.block().text()));
  cursor.insertBlock();
  Memo1->setTextCursor(cursor);
  Memo1->ensureCursorVisible();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormResize();
    FormShow();
  }
}

void TForm1::FormShow() {
  QRect inner = Panel1->contentsRect();
  PictureShow(*ctx_, inner.width(), inner.height());
}

void TForm1::FormResize() {
  // Layout passes repeat sizes; the picture changes (and draws a cursor) only on a new one.
  if (Panel1->size() == pictureSize_) return;
  pictureSize_ = Panel1->size();
  QRect inner = Panel1->contentsRect();
  Image1->setGeometry(inner);
  PictureResize(*ctx_, Panel1->width(), Panel1->height());
  Image1->update();
}

void TForm1::Tick() {
  std::vector<std::string> lines = host_->TakeOutput();
  if (!lines.empty()) {
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += '\n';
      text += FromSjis(lines[i]);
    }
    // One append per frame keeps the window responsive under a flood of output.
    Memo2->appendPlainText(text);
  }
  Image1->RefreshIfChanged();
}

void TForm1::ShowMessageBox(const QString& caption, const QString& text,
                            std::function<void()> done) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
  box->setObjectName("MessageBox");
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [done] { done(); });
  openMessage_ = box;
  box->show();
}

void TForm1::ShowProcEditor(const EditRequest& request, std::function<void(EditResult)> done) {
  Form2->SetLines(request.lines);
  Form2->setWindowModality(Qt::ApplicationModal);
  Form2->Memo1->setFocus();
  auto connection = std::make_shared<QMetaObject::Connection>();
  *connection = connect(Form2, &QDialog::finished, this, [this, done, connection](int result) {
    disconnect(*connection);
    EditResult r;
    r.accepted = result == QDialog::Accepted;
    if (r.accepted) r.lines = Form2->Lines();
    done(std::move(r));
  });
  Form2->open();
}

void TForm1::ShowFileError(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("エラー"), text, QMessageBox::Ok, this);
  box.exec();
}

void TForm1::Open1Click(const QString& given) {
  QString path = given.isEmpty() ? QFileDialog::getOpenFileName(this, QStringLiteral("開く"))
                                 : given;
  if (path.isEmpty()) return;
  std::vector<std::string> lines;
  std::string reason;
  int code = 0;
  if (!ReadProgramFile(path.toStdString(), &lines, &reason, &code)) {
    ShowFileError(QStringLiteral("%1 を読めません（%2）").arg(path, FileProblem(code, reason)));
    return;
  }
  // The interpreter defines them between statements, never while it reads a procedure.
  PostLoad(*queue_, std::move(lines));
}

void TForm1::K2Click(const QString& given) {
  QString path = given.isEmpty() ? QFileDialog::getSaveFileName(this, QStringLiteral("保存"))
                                 : given;
  if (path.isEmpty()) return;
  std::string reason;
  int code = 0;
  if (!WriteProgramFile(path.toStdString(), ProgramLines(*ctx_), &reason, &code)) {
    // The previous file, if any, is left as it was.
    ShowFileError(QStringLiteral("%1 に保存できません（%2）").arg(path, FileProblem(code, reason)));
  }
}

void TForm1::SavePictureClick(const QString& given) {
  QString path = given.isEmpty()
                     ? QFileDialog::getSaveFileName(this, QStringLiteral("画像を保存"), QString(),
                                                    QStringLiteral("PNG (*.png)"))
                     : given;
  if (path.isEmpty()) return;
  QImage copy;
  {
    std::lock_guard<std::mutex> lock(PictureMutex(*ctx_));
    copy = PictureImage(*ctx_).copy();
  }
  if (!copy.save(path, "PNG")) {
    ShowFileError(QStringLiteral("%1 に画像を保存できません").arg(path));
  }
}

void TForm1::PrintPicture(QPrinter& printer, const QImage& picture) {
  int w = picture.width();
  int h = picture.height();
  if (w <= 0 || h <= 0) return;  // nothing to print
  QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  int scale = std::min(page.width() / w, page.height() / h);
  QPainter painter(&printer);
  // Pixels become blocks of one colour: no smoothing, and no lossy compression on the way.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  if (scale > 0) painter.drawImage(QRect(0, 0, scale * w, scale * h), picture);
}

void TForm1::Print1Click(QPrinter* given) {
  QPrinter own(QPrinter::HighResolution);
  QPrinter& printer = given != nullptr ? *given : own;
  printer.setPageOrientation(QPageLayout::Portrait);
  if (given == nullptr) {
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  QImage copy;
  {
    std::lock_guard<std::mutex> lock(PictureMutex(*ctx_));
    copy = PictureImage(*ctx_).copy();
  }
  PrintPicture(printer, copy);
}

void TForm1::KLOGO1Click() {
  auto* dialog = new QDialog(this);
  dialog->setObjectName("HelpWindow");
  dialog->setWindowTitle(QStringLiteral("LOGOについて"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->resize(720, 600);
  auto* browser = new QTextBrowser(dialog);
  browser->setOpenExternalLinks(false);
  browser->setSource(QUrl(QStringLiteral("qrc:/help/help.html")));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(browser);
  layout->addWidget(buttons);
  dialog->show();
}

void TForm1::K4Click() {
  TVersion version(this);
  version.exec();
}

void TForm1::closeEvent(QCloseEvent* event) {
  Shutdown();
  QMainWindow::closeEvent(event);
}

void TForm1::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  timer_.stop();
  ctx_->stopRequested = true;
  thread_->Terminate();
  host_->Shutdown();
  if (openMessage_) openMessage_->close();
  if (Form2->isVisible()) Form2->reject();
  // Every wait of the interpreter ends on Terminate; a statement in the middle of one long
  // drawing step finishes it first. Should it still not end, the process must not hang.
  QElapsedTimer waited;
  waited.start();
  while (!thread_->Finished()) {
    if (waited.elapsed() > 5000) std::_Exit(0);
    QThread::msleep(5);
  }
  thread_->Join();
}

}  // namespace zamiro
