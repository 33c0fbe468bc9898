#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "rpc/pelsrvclient.h"

extern char** environ;

// A private world for server processes started by a test: its own data folder, runtime folder,
// settings folder and instance name, set in this process's environment so that the client
// library and every child see the same.
class ServerWorld {
 public:
  ServerWorld() {
    static int worlds = 0;
    ++worlds;
    // A name never used before in this process: Qt keeps settings files it has read.
    std::string tmpl = "/tmp/pellora-world-";
    tmpl += std::to_string(::getpid());
    tmpl += '-';
    tmpl += std::to_string(worlds);
    tmpl += "-XXXXXX";
    root_ = ::mkdtemp(tmpl.data());
    for (const char* sub : {"home", "run", "config", "state"})
      std::filesystem::create_directory(root_ / sub);
    ::chmod((root_ / "run").c_str(), 0700);
    ::setenv("PELLORA_HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root_ / "run").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
    std::string instance = "t";
    instance += std::to_string(::getpid());
    instance += 'w';
    instance += std::to_string(worlds);
    ::setenv("PELLORA_INSTANCE", instance.c_str(), 1);
  }
  ~ServerWorld() {
    for (pid_t pid : children_) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    // A server that some other process started may still be removing its socket while the
    // folder goes: retry instead of throwing from a destructor.
    std::error_code ec;
    for (int attempt = 0; attempt < 20; ++attempt) {
      std::filesystem::remove_all(root_, ec);
      if (!ec) break;
      ::usleep(50'000);
    }
  }

  const std::filesystem::path& root() const { return root_; }

  // Starts the server program with args; its standard error goes to a file of the world.
  pid_t Start(const std::vector<std::string>& args) {
    std::vector<std::string> all = {PELSERVICE_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string err = StderrPath(++started_);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pid > 0) children_.push_back(pid);
    return pid;
  }

  // What the n-th started process wrote on standard error (1-based).
  std::string Stderr(int n) const {
    std::string text;
    if (FILE* f = std::fopen(StderrPath(n).c_str(), "r")) {
      char buf[4096];
      size_t got;
      while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
      std::fclose(f);
    }
    return text;
  }

  // The exit code of a child, or -1 when it did not end within the time.
  int WaitExit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        std::erase(children_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (std::chrono::steady_clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // Attaches to the published server, waiting for it to come up.
  std::unique_ptr<rpc::PelSrvClient> Attach(
      std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::unique_ptr<rpc::PelSrvClient> client;
    while (FAILED(rpc::PelSrvClient::Attach(&client))) {
      if (std::chrono::steady_clock::now() > end) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return client;
  }

 private:
  std::string StderrPath(int n) const { return (root_ / ("stderr" + std::to_string(n))).string(); }

  std::filesystem::path root_;
  std::vector<pid_t> children_;
  int started_ = 0;
};

// True when the process is gone (or a zombie of someone else) within the time.
inline bool ProcessEnds(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (::kill(pid, 0) != 0) return true;
    // A detached server is reaped by init; its /proc entry may linger as a zombie.
    std::string stat;
    if (FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r")) {
      char buf[512] = {};
      std::fread(buf, 1, sizeof buf - 1, f);
      std::fclose(f);
      stat = buf;
    }
    if (auto p = stat.rfind(')');
        p != std::string::npos && p + 2 < stat.size() && stat[p + 2] == 'Z')
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// A server started by hand in a world of its own, with one client attached; the client asks
// it to end when this goes.
struct RunningServer {
  RunningServer() {
    pid = world.Start({});
    client = world.Attach();
  }
  ~RunningServer() {
    if (client) client->Exit();
    world.WaitExit(pid);
  }
  ServerWorld world;
  pid_t pid = -1;
  std::unique_ptr<rpc::PelSrvClient> client;
};
