#include "Options.h"
#include "Pty.h"
#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <signal.h>

int main(int argc, char *argv[]) {
    const metersim::ParsedOptions parsed = metersim::parseOptions({argv + 1, argv + argc});
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "powerclamp-metersim: %s (try --help)\n", parsed.error.c_str());
        return 2;
    }
    const metersim::Options &options = parsed.options;
    if (options.help || options.version) {
        std::fputs((options.help ? metersim::usageText() : metersim::versionText()).c_str(), stdout);
        return 0;
    }
    // Blocked before anything else so that they wait in the simulator's signalfd instead of killing it
    // before the link is removed.
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        sigaddset(&handled, signal);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        metersim::Pty pty;
        std::unique_ptr<metersim::Symlink> link;
        if (!options.linkPath.empty())
            link = std::make_unique<metersim::Symlink>(pty.slavePath(), options.linkPath);
        metersim::Simulator simulator(options, pty.master(), pty.slavePath());
        std::printf("%s\n", pty.slavePath().c_str());
        std::fflush(stdout);
        simulator.run();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "powerclamp-metersim: %s\n", error.what());
        return 1;
    }
    return 0;
}
