#include "interp/toplevel.h"

#include <pthread.h>
#include <sys/mman.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "interp/errors.h"
#include "interp/executor.h"
#include "interp/texts.h"
#include "values/values.h"

namespace zamiro {

TVarList::~TVarList() {
  // Unlink the rest iteratively: a recursive release of a long list would use the stack.
  std::unique_ptr<TVarList> rest = std::move(next);
  while (rest) rest = std::move(rest->next);
}

InterpreterContext::InterpreterContext(Host& h, InputQueue& q) : host(h), inputQueue(q) {}

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

void AbortWithText(InterpreterContext& c, const std::string& text, const std::string& caption) {
  if (!c.errorShown) {
    c.host.ShowMessage(caption, text);
    c.errorShown = true;
  }
  throw AbortStatement{};
}

void ReportErrorAndAbort(InterpreterContext& c, const std::string& format,
                         const std::string& caption) {
  AbortWithText(c, Format(format.c_str(), c.sourceName, c.lex.lineNo, c.lex.column, c.tok.tokText),
                caption);
}

void ShowReport(InterpreterContext& c, const std::string& text, const std::string& caption) {
  c.host.ShowMessage(caption, text);
}

namespace {

// Instrumented frames are several times larger: a sanitizer build gets a larger stack for the
// same nesting.
#ifdef __SANITIZE_ADDRESS__
constexpr size_t kStackFactor = 4;
#else
constexpr size_t kStackFactor = 1;
#endif
// Each call level is given this much of the stack: a few times what a call's own frames take,
// leaving room for the expressions and blocks nested within each level. The bound on calls
// follows from it, so that the deepest nesting of calls stays well inside the stack and is
// reached, and left again, in seconds.
constexpr size_t kStackPerCall = 1024;
// Room left for whatever a deepest routine, a message box or a library call needs.
constexpr size_t kStackReserve = size_t{512} << 10;
// The first two megabytes of the stack are of small pages; below them, huge pages where the
// system offers them: deep recursion then costs few page faults, and shallow programs no more
// memory than before.
constexpr size_t kSmallPageStack = size_t{2} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

void UseHugePagesForDeepStack(uintptr_t base, size_t size) {
  if (size <= kSmallPageStack + 2 * kHugePage) return;
  uintptr_t low = (base + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t high = (base + size - kSmallPageStack) & ~(kHugePage - 1);
  // Only a hint: where it is refused the stack works as before.
  if (high > low) madvise(reinterpret_cast<void*>(low), high - low, MADV_HUGEPAGE);
}

}  // namespace

#ifdef __SANITIZE_ADDRESS__
void ClearStackGuardsAbove() {
  thread_local uintptr_t top = 0;
  if (top == 0) {
    pthread_attr_t attr;
    void* base = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
    pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    top = reinterpret_cast<uintptr_t>(base) + size;
  }
  // Everything from here up: the frames to be left and those still in use, as the sanitizer
  // itself does for a small stack.
  auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (here < top) __asan_unpoison_memory_region(reinterpret_cast<void*>(here), top - here);
}
#endif

void InitStackLimit(InterpreterContext& c) {
  pthread_attr_t attr;
  void* base = nullptr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
  }
  auto low = reinterpret_cast<uintptr_t>(base);
  c.stackLimit = size > 2 * kStackReserve ? low + kStackReserve : 0;
  size_t calls = size / kStackFactor / kStackPerCall;
  c.maxCallDepth =
      size == 0 ? kDefaultMaxCallDepth : static_cast<int32_t>(std::min<size_t>(calls, INT32_MAX));
  UseHugePagesForDeepStack(low, size);
}

void ReportTooDeep(InterpreterContext& c) {
  ReportErrorAndAbort(c, T().msgTooDeep, T().capError);
}

void RunPendingTasks(InterpreterContext& c) {
  InputQueue::Task task;
  while (c.inputQueue.TakeTask(task)) task(c);
}

namespace {

void Recover(InterpreterContext& c) {
  c.errorShown = false;
  c.stopRequested = false;
  c.curSource = nullptr;
  c.lex = c.topLevelSnapshot;
  SwapLocalVars(c, nullptr);
  c.sourceName = kTopLevelName;
  c.lex.column = c.lex.lineLen;
  ReadChar(c);
  NextToken(c);
}

}  // namespace

void StartInterpreter(InterpreterContext& c) {
  c.curSource = nullptr;
  c.lex.lineLoaded = false;
  c.errorShown = false;
  c.stopRequested = false;
  c.loadingDefinitions = false;
  ResetTurtlePen(c);  // pen, fill and visibility; the window placed the turtle
  c.sourceName = kTopLevelName;
  InitRandom(c);
  if (c.stackLimit == 0) InitStackLimit(c);
  RunPendingTasks(c);
  ReadChar(c);
  NextToken(c);
}

void TopLevelLoop(InterpreterContext& c) {
  for (;;) {
    try {
      RunPendingTasks(c);
      if (c.loadingDefinitions) {
        c.host.Sleep(10);
        if (c.inputQueue.Terminated()) throw ShutdownRequested{};
        continue;
      }
      // No position outlives a statement: only the line being read is still referred to.
      c.lineStore.Release(c.lex.line);
      c.topLevelSnapshot = c.lex;
      ExecuteStatement(c);
    } catch (const AbortStatement&) {
      Recover(c);
    } catch (const std::bad_alloc&) {
      // Memory ran out outside the array operations, which report it themselves (a list of
      // locals grown without end, say): the statement is abandoned with the same message.
      // The abandoned locals go first, so that showing the message has memory to work with.
      SwapLocalVars(c, nullptr);
      if (!c.errorShown) {
        c.host.ShowMessage(T().capError, Format(T().msgNoMemory.c_str(), c.sourceName, c.lex.lineNo,
                                                c.lex.column));
      }
      Recover(c);
    }
  }
}

TYomikThd::TYomikThd(InterpreterContext& c, Options options) : ctx_(c), options_(options) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, options_.stackBytes * kStackFactor);
  int rc = pthread_create(&thread_, &attr, &TYomikThd::Entry, this);
  if (rc != 0) {
    // A smaller stack still runs every program; only the nesting bound is lower.
    pthread_attr_setstacksize(&attr, (size_t{256} << 20) * kStackFactor);
    rc = pthread_create(&thread_, &attr, &TYomikThd::Entry, this);
  }
  pthread_attr_destroy(&attr);
  if (rc != 0) throw std::runtime_error("cannot start the interpreter thread");
  started_ = true;
}

TYomikThd::~TYomikThd() {
  Terminate();
  Join();
}

void TYomikThd::Terminate() {
  // A running statement stops at its next statement or loop pass; every wait ends at once.
  ctx_.stopRequested = true;
  ctx_.inputQueue.Terminate();
}

void TYomikThd::Join() {
  if (started_ && !joined_) {
    pthread_join(thread_, nullptr);
    joined_ = true;
  }
}

void* TYomikThd::Entry(void* self) {
  static_cast<TYomikThd*>(self)->Execute();
  return nullptr;
}

void TYomikThd::Execute() {
  try {
    InitStackLimit(ctx_);
    if (options_.startupPauseMs > 0) {
      ctx_.host.Sleep(options_.startupPauseMs);
      if (ctx_.inputQueue.Terminated()) throw ShutdownRequested{};
    }
    if (options_.startupBeep) ctx_.host.Beep();
    StartInterpreter(ctx_);
    TopLevelLoop(ctx_);
  } catch (const ShutdownRequested&) {
  }
  finished_ = true;
}

}  // namespace zamiro
