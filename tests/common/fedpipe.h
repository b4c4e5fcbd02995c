// A named pipe with a writer waiting to hand a file's bytes to whoever opens it: a loader that
// reads from it gets a good file, one that refuses pipes unopened gets nothing. The writer is let
// go at the end, whether the pipe was read or not.
#pragma once

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace testpipe {

class TFedPipe {
 public:
  TFedPipe(std::filesystem::path path, std::string bytes) : path_(std::move(path)) {
    std::filesystem::remove(path_);
    made_ = ::mkfifo(path_.c_str(), 0644) == 0;
    if (!made_) return;
    writer_ = std::thread([this, bytes = std::move(bytes)] {
      // A reader that looks and closes again leaves this write with an error, not a signal.
      sigset_t pipeSignal;
      sigemptyset(&pipeSignal);
      sigaddset(&pipeSignal, SIGPIPE);
      pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
      const int fd = ::open(path_.c_str(), O_WRONLY);
      for (std::size_t done = 0; fd >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      if (fd >= 0) ::close(fd);
      written_ = true;
    });
  }
  ~TFedPipe() {
    if (!made_) return;
    // Our own reader lets a writer still waiting open the pipe, and drains what it writes.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    char sink[4096];
    while (fd >= 0 && !written_)
      if (::read(fd, sink, sizeof sink) <= 0) std::this_thread::yield();
    writer_.join();
    if (fd >= 0) ::close(fd);
    std::filesystem::remove(path_);
  }
  TFedPipe(const TFedPipe&) = delete;
  TFedPipe& operator=(const TFedPipe&) = delete;

  bool Made() const { return made_; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool made_ = false;
  std::atomic<bool> written_ = false;
  std::thread writer_;
};

}  // namespace testpipe
