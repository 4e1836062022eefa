// The main window: the command line at the bottom, the output on the left, the picture on the
// right. It owns the input queue and the interpreter, which runs on its own thread.
#pragma once

#include <QFrame>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "app/gui_host.h"
#include "interp/context.h"
#include "interp/toplevel.h"

class QMessageBox;
class QPrinter;

namespace zamiro {

class TForm2;
class TImage;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  struct Options {
    int startupPauseMs = 1000;  // the interpreter's wait before it beeps and reads input
  };
  TForm1();
  explicit TForm1(Options options, QWidget* parent = nullptr);
  ~TForm1() override;

  InterpreterContext& Context() { return *ctx_; }
  InputQueue& Queue() { return *queue_; }

  // Menu handlers; the file and print handlers take a file name or printer when a caller (a
  // test) supplies one instead of the dialog.
  void Open1Click(const QString& path = QString());
  void K2Click(const QString& path = QString());
  void SavePictureClick(const QString& path = QString());
  void Print1Click(QPrinter* printer = nullptr);
  void KLOGO1Click();
  void K4Click();

  // Prints the picture on one page, scaled by the largest whole factor that fits.
  static void PrintPicture(QPrinter& printer, const QImage& picture);

  QPlainTextEdit* Memo1;
  QPlainTextEdit* Memo2;
  QFrame* Panel1;
  TImage* Image1;
  QMenuBar* MainMenu1;
  TForm2* Form2;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate(const Options& options);
  void BuildMenus();
  void Memo1KeyDown(QKeyEvent* event);
  void FormShow();
  void FormResize();
  void Tick();
  void ShowMessageBox(const QString& caption, const QString& text, std::function<void()> done);
  void ShowProcEditor(const EditRequest& request, std::function<void(EditResult)> done);
  void ShowFileError(const QString& text);
  void Shutdown();

  std::unique_ptr<InputQueue> queue_;
  std::unique_ptr<GuiHost> host_;
  std::unique_ptr<InterpreterContext> ctx_;
  std::unique_ptr<TYomikThd> thread_;
  QTimer timer_;
  QPointer<QMessageBox> openMessage_;
  bool shown_ = false;
  QSize pictureSize_;
  bool shutDown_ = false;
};

}  // namespace zamiro
