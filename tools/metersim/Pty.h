#pragma once

#include <string>

namespace metersim {

// A raw pseudo-terminal pair. Only the master side stays open here: the program under test opens and closes
// the slave for every exchange, and the master sees those closes as hang-ups.
class Pty {
public:
    Pty(); // throws std::system_error
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    int master() const { return master_; }
    const std::string &slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    std::string slavePath_;
};

// A symbolic link that lives as long as this object.
class Symlink {
public:
    Symlink(const std::string &target, const std::string &path); // throws std::system_error
    ~Symlink();
    Symlink(const Symlink &) = delete;
    Symlink &operator=(const Symlink &) = delete;

private:
    std::string path_;
};

} // namespace metersim
