#include "cli/DownloadCommand.h"

#include <QDir>

DownloadCommand::DownloadCommand(LinkPlatform &platform, const Console &console, const QString &path,
                                 DownloadFormat format)
    : MeterCommand(platform, console), path(path), format(format) {
    connect(&engine, &MeterEngine::discoveryEnded, this, [this] { engine.startDownload(); });
    connect(&engine, &MeterEngine::recordCount, this, [this](int16_t count) {
        total = count;
        records.clear();
        showProgress(0);
    });
    connect(&engine, &MeterEngine::recordBlock, this,
            [this](int16_t first, const std::vector<ShownBlocks> &block) {
                if (records.size() < size_t(first) + block.size())
                    records.resize(size_t(first) + block.size());
                std::copy(block.begin(), block.end(), records.begin() + first);
            });
    connect(&engine, &MeterEngine::downloadProgress, this, &DownloadCommand::showProgress);
    connect(&engine, &MeterEngine::downloadEnded, this, &DownloadCommand::save);
    connect(&engine, &MeterEngine::downloadAborted, this, [this] {
        showProgress(-1);
        this->console.say(QStringLiteral("the meter stopped answering; %1 was not written")
                              .arg(this->format == DownloadFormat::CsvOnStandardOutput
                                       ? QStringLiteral("nothing")
                                       : QDir::toNativeSeparators(this->path)));
        stopAndFinish(1);
    });
}

// "records/total" on one line of the terminal, redrawn in place; -1 ends the line.
void DownloadCommand::showProgress(int done) {
    if (!console.errIsTerminal)
        return;
    if (done < 0) {
        if (progressShown)
            std::fputc('\n', console.err);
    } else {
        std::fprintf(console.err, "\rRecords: %d of %d", std::min(done, total), total);
        progressShown = true;
    }
    std::fflush(console.err);
}

void DownloadCommand::save(int count) {
    showProgress(count);
    showProgress(-1);
    records.resize(size_t(count));
    // Nothing else runs on the link from here on.
    engine.stop();
    if (count == 0)
        console.say(QStringLiteral("The record number is 0 in the machine\uFF01"));
    const QString failure = writeDownload(path, format, records, console.out);
    if (!failure.isEmpty())
        console.say(
            format == DownloadFormat::CsvOnStandardOutput
                ? QStringLiteral("standard output cannot be written: %1").arg(failure)
                : QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), failure));
    stopAndFinish(failure.isEmpty() ? 0 : 1);
}
