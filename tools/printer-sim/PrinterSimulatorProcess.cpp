#include "PrinterSimulatorProcess.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
const char* const kPython = "/usr/bin/python3";

void closeBoth(int fds[2]) {
    close(fds[0]);
    close(fds[1]);
}
}  // namespace

PrinterSimulatorProcess::PrinterSimulatorProcess(const std::string& script, const std::filesystem::path& root,
                                                 const std::filesystem::path& commandLog,
                                                 const std::vector<std::string>& options) {
    std::vector<std::string> words = {kPython, script, "--root", root.string(), "--log", commandLog.string(),
                                      "--exit-with-stdin"};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    // Its standard input stays open as long as this process lives, so a
    // caller that dies takes the simulator with it.
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for the printer simulator");
    if (pipe2(in, O_CLOEXEC) != 0) {
        closeBoth(out);
        throw std::runtime_error("cannot make a pipe for the printer simulator");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, kPython, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(in[0]);
    input_ = in[1];
    if (error != 0) {
        close(out[0]);
        close(input_);
        throw std::runtime_error(std::string("cannot start ") + kPython + ": " + std::strerror(error));
    }
    pid_ = pid;
    // The first line gives the port once the server listens; end of file means it failed.
    FILE* announcement = fdopen(out[0], "r");
    char line[64] = {};
    const bool announced = announcement && std::fgets(line, sizeof line, announcement) &&
                           std::sscanf(line, "port %d", &port_) == 1;
    if (announcement) std::fclose(announcement);
    else close(out[0]);
    if (!announced) {
        stop();
        throw std::runtime_error("the printer simulator " + script + " did not start (is python3-pyftpdlib installed?)");
    }
}

PrinterSimulatorProcess::~PrinterSimulatorProcess() { stop(); }

void PrinterSimulatorProcess::stop() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string PrinterSimulatorProcess::settingsXml(const std::string& extraAttributes) const {
    return "<RootElement IP1=\"127\" IP2=\"0\" IP3=\"0\" IP4=\"1\" Port=\"" + std::to_string(port_) + "\"" +
           (extraAttributes.empty() ? "" : " " + extraAttributes) + "/>\n";
}
