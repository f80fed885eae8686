#pragma once
// Writes a recovery folder on a thread of its own, so that the window never waits for
// the disk. Each job brings the new wave files and the session list naming them; the
// waves reach the disk first, then the list replaces the old one (the moment the new
// state counts), then the files no list names any more go. A job handed in while
// another still waits to begin is merged into it: only the newest state is written.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TRecoveryJob {
    using TBytes = std::shared_ptr<const std::vector<uint8_t>>;
    std::vector<std::pair<std::string, TBytes>> Waves;  // file name, whole file
    std::vector<uint8_t> Manifest;                      // the session list
    std::vector<std::string> Live;                      // every wave file the list names
    // Run on the writer's thread once the list is on disk (kept for the next job when
    // this one fails).
    std::vector<std::function<void()>> AfterCommit;
};

class TRecoveryWriter {
public:
    // onFailure runs on the writer's thread with the path and the system's reason, once
    // for each run of failures; a written job ends the run.
    TRecoveryWriter(std::string folder, std::function<void(const std::string&)> onFailure);
    ~TRecoveryWriter();
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    void Submit(TRecoveryJob job);
    // Returns once every job handed in is written or has failed.
    void WaitIdle();
    // Drops the job that has not begun, waits for the one being written, ends the thread.
    void Stop();
    const std::string& Folder() const { return FFolder; }

private:
    void Run();
    void Commit(const TRecoveryJob& job);

    std::string FFolder;
    std::function<void(const std::string&)> FOnFailure;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::condition_variable FIdle;
    std::unique_ptr<TRecoveryJob> FPending;
    std::vector<std::function<void()>> FDeferred;  // AfterCommit of failed jobs
    bool FBusy = false;
    bool FStopping = false;
    bool FFailing = false;
    std::thread FThread;
};
