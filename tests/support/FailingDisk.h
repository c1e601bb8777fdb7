#pragma once

#include <QString>

// Two ways to make the system refuse a write, as a full disk does, without touching the code
// under test: the process's file size limit (every Unix, no privileges) and a real full file
// system (Linux, where the test may mount one).

// While it lives, no file of this process can grow past `bytes`: writes beyond fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long previous;
};

// Mounts a tiny private tmpfs; call before any thread starts (before QApplication).
// Returns its folder, or an empty text with `whyNot` set when the system does not allow it.
QString mountTinyFileSystem(QString &whyNot);

// Fills the file system that holds `folder` until it refuses another byte.
void fillFileSystem(const QString &folder);
