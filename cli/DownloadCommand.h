#pragma once

#include "cli/DownloadOutput.h"
#include "cli/MeterCommand.h"

// `download`: the records the window's Read would show, written once the download is whole. A
// download broken off leaves no file and an existing one as it was.
class DownloadCommand final : public MeterCommand {
    Q_OBJECT
public:
    DownloadCommand(LinkPlatform &platform, const Console &console, const QString &path,
                    DownloadFormat format);

private:
    bool realtimeView() const override { return false; }
    void showProgress(int records);
    void save(int total);

    QString path;
    DownloadFormat format;
    int total = 0;
    std::vector<ShownBlocks> records;
    bool progressShown = false;
};
