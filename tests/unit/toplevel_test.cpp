// The top-level loop and the interpreter thread: recovery, the stop request, shutdown in the
// middle of any program, and loads made while the interpreter waits for input.
#include "interp/toplevel.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "interp/program_files.h"
#include "interp_fixture.h"

namespace zamiro::testing {
namespace {

// Esc pressed while the interpreter waits for input stays pending for the next line.
TEST(TopLevel, AStopRequestAbandonsTheNextStatementWithoutAMessage) {
  Session s;
  s.onSupply = [&](size_t index) {
    if (index == 1) s.c.stopRequested = true;
  };
  s.Run({"print 0", "print 1 print 2", "print 3"});
  EXPECT_EQ(s.host.output, (std::vector<std::string>{"0", "3"}));
  EXPECT_TRUE(s.host.messages.empty());
  EXPECT_FALSE(s.c.stopRequested);
}

TEST(TopLevel, RecoveryResetsTheSourceAndTheLocals) {
  Session s;
  s.Define({"to inner :v", "local \"w", "print :v / 0", "end"});
  s.Run({"local \"x make \"x 1 print :x", "inner 9", "print :v", "print :x"});
  EXPECT_EQ(s.host.output, std::vector<std::string>{"1"});
  EXPECT_EQ(s.host.messages,
            (std::vector<std::string>{
                "[エラー ０でのわり算] INNER の 3 行 13 列で０で割りました",
                "[エラー 値は０とします] Top Level の 3 行 9 列の v は初めて出てくる変数です",
                "[エラー 値は０とします] Top Level の 4 行 9 列の x は初めて出てくる変数です"}));
  EXPECT_EQ(s.c.curSource, nullptr);
  EXPECT_EQ(s.c.localVars, nullptr);
  EXPECT_EQ(s.c.callDepth, 0);
}

TEST(TopLevel, EachErrorShowsExactlyOneMessage) {
  Session s;
  s.Run({"print (1 / 0) + :nosuch", "print 1 / 0 print 2 / 0"});
  EXPECT_EQ(s.host.messages.size(), 2u);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Address space of this process now, in bytes.
size_t AddressSpaceInUse() {
  unsigned long pages = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// A tail jump that makes a local on every pass grows its list until memory runs out; the
// statement ends with a message and the next line runs. Run in a child process whose address
// space is limited, so that the allocation fails instead of the system stepping in.
TEST(TopLevel, RunningOutOfMemoryIsAMessage) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer's allocator does not work under a limit";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlim_t bytes = AddressSpaceInUse() + (rlim_t{200} << 20);
    struct rlimit limit = {bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    Session s;
    s.Define({"to grow", "local \"x", "grow", "end"});
    s.Run({"grow", "print 1"});
    bool ok = s.host.output == std::vector<std::string>{"1"} &&
              s.host.messages == std::vector<std::string>{
                                     "[エラー] GROW の 2 行 9 列でメモリが足りなくなりました"};
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A host for the interpreter thread: records output under a lock and lets the test wait for it.
class ThreadHost : public Host {
 public:
  explicit ThreadHost(InputQueue& queue) : queue_(queue) {}
  void AppendOutputLine(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    output_.push_back(Cp932ToUtf8(text));
    changed_.notify_all();
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    AppendOutputLine("[" + caption + "] " + text);
  }
  EditResult EditProcedure(const EditRequest&) override { return {}; }
  void Sleep(int64_t ms) override { queue_.SleepFor(ms); }

  // Waits until `count` lines have been written and returns them.
  std::vector<std::string> WaitForLines(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return output_.size() >= count; });
    return output_;
  }

 private:
  InputQueue& queue_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> output_;
};

struct ThreadRun {
  ThreadRun() : host(queue), c(host, queue) {}
  InputQueue queue;
  ThreadHost host;
  InterpreterContext c;
};

TYomikThd::Options NoPause() {
  TYomikThd::Options o;
  o.startupPauseMs = 0;
  o.startupBeep = false;
  return o;
}

class ShutdownWhileRunning : public ::testing::TestWithParam<const char*> {};

// Whatever the program is doing, ending the thread returns: loops with empty blocks, sleeps,
// waits for input and for "end", tail jumps that never stop.
TEST_P(ShutdownWhileRunning, EndsTheThread) {
  ThreadRun r;
  r.queue.Add("to spin :n");
  r.queue.Add("spin :n + 1");
  r.queue.Add("end");
  r.queue.Add(Sjis(std::string("print 0 ") + GetParam()));
  TYomikThd thread(r.c, NoPause());
  r.host.WaitForLines(1);
  thread.Terminate();
  thread.Join();
  EXPECT_TRUE(thread.Finished());
}

INSTANTIATE_TEST_SUITE_P(TopLevel, ShutdownWhileRunning,
                         ::testing::Values("repeat 1e15 []", "while 1 []", "do [] until 0",
                                           "for \"i = 1 to 1e300 []", "sleep 4000000000",
                                           "repeat 2 [", "stop", "print 1 +", "spin 1",
                                           "repeat 1e15 [make \"x 1]"));

TEST(TopLevel, AnAddedLineWakesTheWaitingReader) {
  ThreadRun r;
  TYomikThd thread(r.c, NoPause());
  r.queue.Add("print 1");
  EXPECT_EQ(r.host.WaitForLines(1), std::vector<std::string>{"1"});
  r.queue.Add("print 2");
  EXPECT_EQ(r.host.WaitForLines(2), (std::vector<std::string>{"1", "2"}));
}

TEST(TopLevel, APostedLoadWakesTheWaitingInterpreter) {
  ThreadRun r;
  TYomikThd thread(r.c, NoPause());
  PostLoad(r.queue, {"to add :a :b", "op :a + :b", "end"});
  r.queue.Add("print add 1 2");
  EXPECT_EQ(r.host.WaitForLines(1), std::vector<std::string>{"3"});
}

// The call waits for its second argument on the next line; a load made during that wait
// redefines the procedure with one parameter, and the call goes on with the new definition.
TEST(TopLevel, ALoadDuringAnArgumentsWaitChangesTheCallSafely) {
  InputQueue queue;
  RecordingHost host;
  InterpreterContext c(host, queue);
  const std::vector<std::string> lines{"print add 4", "5", "listing"};
  size_t next = 0;
  queue.SetSupplier([&](std::string& line) {
    if (next >= lines.size()) return false;
    if (next == 1) PostLoad(queue, {"to add :a", "op :a * 100", "end"});
    line = lines[next++];
    return true;
  });
  PostLoad(queue, {"to add :a :b", "op :a + :b", "end"});
  try {
    StartInterpreter(c);
    TopLevelLoop(c);
  } catch (const ShutdownRequested&) {
  }
  EXPECT_EQ(host.output, (std::vector<std::string>{"400", "ADD"}));
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace zamiro::testing
