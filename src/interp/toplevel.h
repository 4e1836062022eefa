// The interpreter thread and its top-level loop.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstddef>

#include "interp/context.h"

namespace zamiro {

// Runs one top-level statement per pass, recovering after every error and stop request, until
// the input ends or the interpreter is shut down.
void TopLevelLoop(InterpreterContext& c);
// Puts the reader on the input queue and the interpreter's flags and turtle pen in their start
// state, then reads the first character and token (which waits for the first line).
void StartInterpreter(InterpreterContext& c);
// Runs the work posted to the input queue (program-file loads) on the interpreter thread.
void RunPendingTasks(InterpreterContext& c);

// The interpreter thread, with a stack large enough for deep recursion of the language.
class TYomikThd {
 public:
  struct Options {
    int startupPauseMs = 1000;  // the desktop program waits while its window appears,
    bool startupBeep = true;    // then beeps: the interpreter is ready
    // The stack, which sets the bound on nested calls (1 KB of it for each level: 2^20 calls
    // for 1 GB); only the part in use takes memory.
    size_t stackBytes = size_t{1} << 30;
  };
  TYomikThd(InterpreterContext& c, Options options);
  ~TYomikThd();  // terminates and joins
  TYomikThd(const TYomikThd&) = delete;
  TYomikThd& operator=(const TYomikThd&) = delete;

  // Asks the thread to end: every wait (input, sleep) returns and the thread leaves.
  void Terminate();
  void Join();
  bool Finished() const { return finished_; }

 private:
  static void* Entry(void* self);
  void Execute();

  InterpreterContext& ctx_;
  Options options_;
  pthread_t thread_{};
  bool started_ = false;
  bool joined_ = false;
  std::atomic<bool> finished_{false};
};

}  // namespace zamiro
