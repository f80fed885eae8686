#include "recovery/RecoveryWriter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "recovery/DurableFile.h"
#include "recovery/RecoveryIoError.h"
#include "recovery/RecoveryLock.h"
#include "recovery/RecoveryManifest.h"

TRecoveryWriter::TRecoveryWriter(std::string folder, std::function<void(const std::string&)> onFailure)
    : FFolder(std::move(folder)), FOnFailure(std::move(onFailure)), FThread([this] { Run(); })
{
}

TRecoveryWriter::~TRecoveryWriter()
{
    Stop();
}

void TRecoveryWriter::Submit(TRecoveryJob job)
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (FStopping)
            return;
        if (!FPending) {
            FPending = std::make_unique<TRecoveryJob>(std::move(job));
        } else {
            // Waves of the waiting job that the newer list no longer names need not be
            // written at all.
            TRecoveryJob& merged = *FPending;
            const auto gone = [&](const auto& wave) {
                return std::find(job.Live.begin(), job.Live.end(), wave.first) == job.Live.end();
            };
            merged.Waves.erase(std::remove_if(merged.Waves.begin(), merged.Waves.end(), gone), merged.Waves.end());
            for (auto& wave : job.Waves)
                merged.Waves.push_back(std::move(wave));
            merged.Manifest = std::move(job.Manifest);
            merged.Live = std::move(job.Live);
            for (auto& after : job.AfterCommit)
                merged.AfterCommit.push_back(std::move(after));
        }
    }
    FWake.notify_one();
}

void TRecoveryWriter::WaitIdle()
{
    std::unique_lock<std::mutex> lock(FMutex);
    FIdle.wait(lock, [this] { return !FPending && !FBusy; });
}

void TRecoveryWriter::Stop()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
        FPending.reset();
    }
    FWake.notify_one();
    if (FThread.joinable())
        FThread.join();
}

void TRecoveryWriter::Run()
{
    for (;;) {
        std::unique_ptr<TRecoveryJob> job;
        {
            std::unique_lock<std::mutex> lock(FMutex);
            FWake.wait(lock, [this] { return FStopping || FPending; });
            if (FStopping)
                break;
            job = std::move(FPending);
            FBusy = true;
        }
        std::string failure;
        try {
            Commit(*job);
        } catch (const ERecoveryIoError& e) {
            failure = e.Message();
        } catch (const std::bad_alloc&) {
            failure = FFolder + ": out of memory";
        }
        bool report = false;
        std::vector<std::function<void()>> after;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            if (failure.empty()) {
                FFailing = false;
                after.swap(FDeferred);
                for (auto& call : job->AfterCommit)
                    after.push_back(std::move(call));
            } else {
                report = !FFailing;
                FFailing = true;
                // What was to follow the list waits for a list that does reach the disk.
                for (auto& call : job->AfterCommit)
                    FDeferred.push_back(std::move(call));
            }
        }
        if (report && FOnFailure)
            FOnFailure(failure);
        for (auto& call : after)
            call();
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FBusy = false;
        }
        FIdle.notify_all();
    }
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FBusy = false;
    }
    FIdle.notify_all();
}

void TRecoveryWriter::Commit(const TRecoveryJob& job)
{
    for (const auto& [name, bytes] : job.Waves)
        DurableFile::Write(FFolder, name, bytes->data(), bytes->size());
    // A list naming a file that is not there would make the folder unreadable: such a
    // state (a wave whose write failed before) is not committed.
    for (const std::string& name : job.Live) {
        const std::string path = FFolder + "/" + name;
        if (::access(path.c_str(), F_OK) != 0)
            throw ERecoveryIoError(DurableFile::Reason(path, errno));
    }
    DurableFile::Write(FFolder, RecoveryManifestFile, job.Manifest.data(), job.Manifest.size());
    DurableFile::SyncFolder(FFolder);
    // Whatever the new list does not name: older waves, and temporary files a failed
    // write left behind.
    for (const std::string& name : DurableFile::List(FFolder)) {
        if (name == RecoveryManifestFile || name == TRecoveryLock::FileName)
            continue;
        if (std::find(job.Live.begin(), job.Live.end(), name) == job.Live.end())
            DurableFile::Remove(FFolder + "/" + name);
    }
}
