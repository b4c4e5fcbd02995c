#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "fixture.h"

using namespace plat;

TEST_F(NullPlatform, OnePassRunsEventsThenDueTimersThenIdle) {
  std::vector<std::string> seen;
  Form* f = CreateForm("t", 320, 200);
  ASSERT_NE(f, nullptr);
  f->OnKeyDown = [&](int& key, ShiftState) { seen.push_back("key" + std::to_string(key)); };
  ShowForm(f);
  AddTimer(10, [&] { seen.push_back("timer"); });
  SetIdleHandler([&](bool& done) {
    seen.push_back("idle");
    done = true;
  });
  null::InjectKeyDown(f->id, vk::F12);
  null::AdvanceClock(10);
  ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::string>{"key123", "timer", "idle"}));
}

TEST_F(NullPlatform, LateTimersFireOnceAndKeepTheirPaceWhenOnTime) {
  int fired = 0;
  int id = AddTimer(53, [&] { ++fired; });
  // Ten periods behind: one event, no backlog.
  null::AdvanceClock(530);
  ProcessMessages();
  ProcessMessages();
  EXPECT_EQ(fired, 1);
  // Re-armed from the late moment.
  null::AdvanceClock(52);
  ProcessMessages();
  EXPECT_EQ(fired, 1);
  null::AdvanceClock(1);
  ProcessMessages();
  EXPECT_EQ(fired, 2);
  // On time it keeps the period exactly.
  for (int i = 0; i < 5; ++i) {
    null::AdvanceClock(53);
    ProcessMessages();
  }
  EXPECT_EQ(fired, 7);
  SetTimerEnabled(id, false);
  null::AdvanceClock(1000);
  ProcessMessages();
  EXPECT_EQ(fired, 7);
  // Enabling restarts the period; a changed interval restarts it too.
  SetTimerEnabled(id, true);
  null::AdvanceClock(52);
  ProcessMessages();
  EXPECT_EQ(fired, 7);
  SetTimerInterval(id, 106);
  null::AdvanceClock(100);
  ProcessMessages();
  EXPECT_EQ(fired, 7);
  null::AdvanceClock(6);
  ProcessMessages();
  EXPECT_EQ(fired, 8);
}

TEST_F(NullPlatform, TimerHandlersMayRemoveTimersAndTerminateEndsRun) {
  int a = 0, b = 0;
  int idA = 0;
  idA = AddTimer(10, [&] {
    ++a;
    RemoveTimer(idA);
  });
  AddTimer(25, [&] {
    if (++b == 4) Terminate();
  });
  // No idle handler: a waiting loop jumps its virtual clock from timer to timer.
  plat::Run();
  EXPECT_TRUE(Terminated());
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(NowMs(), 100u);
}

TEST_F(NullPlatform, IdleHandlerThatIsNotDoneGetsCalledEveryPassWithoutTimePassing) {
  int idles = 0;
  SetIdleHandler([&](bool& done) {
    ++idles;
    done = false;
  });
  for (int i = 0; i < 50; ++i) ProcessMessages(true);
  EXPECT_EQ(idles, 50);
  EXPECT_EQ(NowMs(), 0u);
  null::SetAutoAdvance(5);
  ProcessMessages(true);
  EXPECT_EQ(NowMs(), 5u);
}

TEST_F(NullPlatform, TasksPostedFromAnotherThreadRunInTheLoop) {
  int ran = 0;
  std::thread t([&] { PostTask([&] { ++ran; }); });
  t.join();
  EXPECT_EQ(ran, 0);
  ProcessMessages();
  EXPECT_EQ(ran, 1);
}

TEST(PlatformInit, UnknownBackendIsAClearError) {
  setenv("ZARN_PLATFORM", "vga", 1);
  std::string error;
  EXPECT_FALSE(Init(&error));
  EXPECT_NE(error.find("vga"), std::string::npos);
  setenv("ZARN_PLATFORM", "null", 1);
}

// TERM ends the program within a second: between passes of the loop by closing the main form, as
// the window's close box does, and at once, by the signal itself, while a message box (whose loop
// is the window system's, not ours) waits for an answer that never comes.
TEST(QuitSignal, TermEndsTheProgramWithinASecondBoxOrNot) {
  for (const bool box : {false, true}) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      auto tell = [fd = ready[1]] { (void)!::write(fd, "r", 1); };
      setenv("ZARN_PLATFORM", "null", 1);
      if (!Init()) ::_exit(10);
      Form* form = CreateForm("zarn", 320, 200);
      ShowForm(form);
      if (box) {
        null::SetMessageBoxAnswer([tell] {
          tell();
          for (;;) ::pause();
        });
        MessageBox(form, "ZARN III", "never answered");
        ::_exit(11);
      }
      SetIdleHandler([tell](bool& done) {
        static bool told = false;
        if (!told) tell();
        told = true;
        done = true;
      });
      plat::Run();
      ::_exit(plat::Terminated() ? 0 : 12);
    }
    ::close(ready[1]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    const auto sent = std::chrono::steady_clock::now();
    ::kill(child, SIGTERM);
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - sent < std::chrono::seconds(1))
      ::poll(nullptr, 0, 5);
    if (done == 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
    }
    EXPECT_EQ(done, child) << (box ? "with a box open: " : "") << "still running a second after TERM";
    if (box)
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    else
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}
