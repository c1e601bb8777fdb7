#pragma once

#include "link/Exchange.h"
#include "link/LinkState.h"
#include "link/RefusedPorts.h"
#include "measure/ShownReadings.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class LinkPlatform;
class SerialControl;
class TimerControl;

// The meter link without a window: it owns the serial control and the link's timers, finds the
// meter's port, polls it, runs the record download and watches for answers that do not come.
// Its handlers keep the names of the procedures they were written as; what happened is told
// through the signals below, to the window or to any other listener. Everything runs on the
// thread that owns the engine, one event at a time.
class MeterEngine final : public QObject {
    Q_OBJECT
public:
    explicit MeterEngine(LinkPlatform &platform, QObject *parent = nullptr);
    ~MeterEngine() override;

    // Starts the search for the meter's port and the response time-out, as the program comes
    // up. Nothing is opened before the first discovery tick.
    void start();
    // Closes the port and stops every timer; no handler of the engine runs afterwards.
    void stop();
    // What polls ask for: realtime readings, or only the link check that keeps the link
    // watched. Polling runs from here on, except while a download does (it resumes polling
    // when it ends).
    void setRealtimeView(bool realtime);
    // Starts a record download once no request is outstanding; false (and nothing done)
    // before the meter has been found.
    bool startDownload();

    bool meterFound() const { return state.MeterFound; }
    // The port being probed or, once the meter was found, the meter's port (1..16).
    int16_t port() const { return state.ComNum; }
    // From startDownload() until the download ends or is broken off.
    bool downloading() const { return downloadUnderWay; }

    LinkState state;

    std::unique_ptr<SerialControl> MSComm1;
    std::unique_ptr<TimerControl> Timer_findcom, Timer_real, Timer_read, Timer_timeout;

    void DisLabelInit();
    void ComOpen(int16_t portNumber);
    void Timer_findcom_Timer();
    void SendCommand(uint8_t command, uint8_t type, int16_t start, int16_t count, uint8_t param);
    void MSComm1_OnComm();
    void FrameHandle();
    // The payloads of realtime and record-block answers, decoded once for the listeners.
    void RealtimeDataHandle();
    void RecordDataHandle(uint8_t offset, int16_t first, int16_t count);
    void Timer_real_Timer();
    void Timer_read_Timer();
    void Timer_timeout_Timer();

    // How long the line must have been quiet after a time-out before a download starts.
    static constexpr int64_t QuietMs = 1500;

signals:
    // ComOpen's outcome, "COMn Open" or "COMnUnviable", and the system's words about it.
    void portStatus(const QString &caption, const QString &reason);
    // The meter was heard: bytes came in, or discovery ended. Repeats with every receive event.
    void linkConnected();
    // A request went unanswered until its time-out. Repeats with every time-out.
    void linkLost();
    // The meter answered the link check on port(); discovery is over for the rest of the run.
    void discoveryEnded();
    // The four reading blocks of one realtime answer.
    void realtimeReadings(const ShownBlocks &readings);
    // The count answer that starts a download: the records it will fetch.
    void recordCount(int16_t total);
    // One block of a download: the number of its first record (0 for the first record) and its
    // records, each four reading blocks.
    void recordBlock(int16_t first, const std::vector<ShownBlocks> &records);
    // Records in so far during a download.
    void downloadProgress(int16_t records);
    // The download is complete: `total` records, 0 when the meter holds none.
    void downloadEnded(int16_t total);
    // The download, waiting to start or under way, was broken off by a time-out.
    void downloadAborted();
    // A whole round of discovery found no meter and some port refused this user; told once.
    void portsRefused(const QString &notice);

private:
    void RecordCountHandle(int frameLength);
    void RecordBlockHandle(int frameLength, int16_t recordsAsked);
    void RequestRecordBlock();
    void DownloadEnd();
    // The time-out ends a download waiting to start or under way.
    void DownloadAbort();
    // Whether the line has been quiet long enough since a time-out for a download to start.
    bool LineQuiet();

    // The outstanding request and the bytes taken for its answer.
    Exchange exchange;
    bool downloadUnderWay = false;
    // Since a time-out the meter may still send the answer it owed: the moment of the time-out
    // or of the last bytes heard since. Empty once the line has been quiet for QuietMs.
    std::optional<int64_t> unsettledSince;

    // Ports refused for permission during discovery.
    RefusedPorts refusedPorts;

    LinkPlatform &platform;
};
