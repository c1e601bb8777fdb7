#include "Pty.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace metersim {

namespace {

[[noreturn]] void fail(const std::string &what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        fail("tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        fail("tcsetattr");
}

} // namespace

Pty::Pty() {
    int slave = -1;
    char name[PATH_MAX] = {};
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        fail("openpty");
    slavePath_ = name;
    try {
        // Both sides raw: a program that restores its saved settings on close must find a raw line too,
        // or the terminal would echo the meter's answers back to it.
        makeRaw(slave);
        makeRaw(master_);
        if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
            fail("fcntl");
    } catch (...) {
        close(slave);
        close(master_);
        throw;
    }
    close(slave);
}

Pty::~Pty() {
    close(master_);
}

Symlink::Symlink(const std::string &target, const std::string &path) : path_(path) {
    // A link left behind by a simulator that was killed is replaced; anything else at the path is kept.
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode))
        unlink(path.c_str());
    if (symlink(target.c_str(), path.c_str()) != 0)
        fail("symlink " + path);
}

Symlink::~Symlink() {
    unlink(path_.c_str());
}

} // namespace metersim
