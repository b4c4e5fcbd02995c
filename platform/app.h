// The application: back-end choice, the monotonic clock, the message loop with its window
// timers and idle handler, and tasks handed in from other threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat {

enum class BackendKind : std::uint8_t { None, Null, Sdl };

// Set before Init: windows are drawn by the processor alone, never through the graphics
// library. A program of still pages needs nothing of it, and without a graphics card the
// library brings a thread per core whose teardown held up the program's end under a loaded
// machine by up to two seconds after it had exited.
inline bool DrawWithProcessorOnly = false;

// ZARN_PLATFORM=null picks the null back end; otherwise SDL (a missing display is an error).
// False with a readable reason when no back end can start. Safe to call again after Shutdown.
bool Init(std::string* error = nullptr);
// Starts the named back end whatever ZARN_PLATFORM says (tests of one back end).
bool Init(BackendKind kind, std::string* error = nullptr);
// Closes every form, socket, sound and timer and the back end.
void Shutdown();
BackendKind Backend();
const char* BackendName();

// Monotonic milliseconds since Init (the null back end's clock is virtual).
std::uint64_t NowMs();
// Blocks the caller (the null back end only advances its virtual clock).
void SleepMs(std::uint32_t ms);

// Throws away the keys, clicks and pointer moves that arrived while the program was blocked;
// other window events stay for the next pass of the loop.
void DropPendingInput();

// The idle handler runs whenever the queue is empty. Leaving `done` false asks for another
// pass at once; true lets the loop wait for the next event or timer.
using IdleHandler = std::function<void(bool& done)>;
void SetIdleHandler(IdleHandler handler);
bool HasIdleHandler();

// Window timers: fire in the loop, never re-entrantly. A timer that falls behind fires once
// and is re-armed from now: no backlog of events piles up.
using TimerHandler = std::function<void()>;
int AddTimer(std::uint32_t intervalMs, TimerHandler handler, bool enabled = true);  // id > 0
void SetTimerInterval(int id, std::uint32_t intervalMs);  // restarts the period
void SetTimerEnabled(int id, bool enabled);               // enabling restarts the period
void SetTimerHandler(int id, TimerHandler handler);
void RemoveTimer(int id);  // safe from inside its own handler
bool TimerEnabled(int id);
std::uint32_t TimerInterval(int id);

// Runs `task` in the loop's thread at its next pass; callable from any thread.
void PostTask(std::function<void()> task);

// One pass of the loop: window events, posted tasks and sockets, due timers, then the idle
// handler. Waits for input only when `mayWait` and the idle handler (if any) said done.
void ProcessMessages(bool mayWait = false);
// Passes until Terminate.
void Run();
void Terminate();
bool Terminated();
void ClearTerminated();

// Application activation: true while any form of ours has the focus.
bool AppActive();
inline std::function<void()> OnAppActivate;
inline std::function<void()> OnAppDeactivate;

// Runs when the display goes away under the program, just before it ends with status 1:
// nothing can be shown any more, but files can still be written.
inline std::function<void()> OnDisplayLost;

}  // namespace plat
