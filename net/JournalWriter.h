#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/JournalFormat.h"

// Appends a served city's journal on a thread of its own, so that the
// service loop never waits for the disk: whatever was queued meanwhile is
// written and synced in one go (group commit), and again as soon as more
// is queued, so a record is on disk one sync after it was queued. A failed
// write is taken back (the file cut to its last sound length) and tried
// again every RetryMilliseconds with nothing dropped; the fault, and its
// end, are told once (takeNotice). append, keepForCut, stopKeeping and cut
// are the service loop's; checkpoint and flush may be called from another
// thread.
class JournalWriter {
public:
    static constexpr int32_t RetryMilliseconds = 200;

    explicit JournalWriter(std::string path);
    ~JournalWriter();  // writes and syncs what is queued first
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Puts in place, atomically, a journal of base followed by records
    // (framed, as read; lastSeq the seq of their last batch) and appends to
    // it from then on. False, *why naming the fault, when it cannot.
    bool start(const JournalFormat::Anchor& base, const std::vector<std::vector<uint8_t>>& records,
               uint64_t lastSeq, std::string* why);
    // A framed record: a batch numbered seq, or a picture after batch seq.
    void append(uint64_t seq, std::vector<uint8_t> record);
    // The records appended from now on are kept in memory too, for the next
    // cut; stopKeeping lets them go.
    void keepForCut();
    void stopKeeping();
    // Appends a checkpoint and waits until it is on disk; false when it
    // could not be written.
    bool checkpoint(const JournalFormat::Anchor& anchor);
    // Replaces the journal, atomically, by one of base and the records kept
    // since keepForCut; when that fails the journal goes on as it was.
    void cut(const JournalFormat::Anchor& base);
    // Waits until everything queued before is on disk; false when a write
    // failed meanwhile.
    bool flush();
    // The seq of the last batch on disk.
    uint64_t durableSeq() const;
    const std::string& path() const { return filePath; }
    bool takeNotice(std::string* text);

private:
    struct Item {
        enum Kind { Record, Keep, StopKeeping, Checkpoint, Cut } kind = Record;
        uint64_t seq = 0;
        std::vector<uint8_t> bytes;
        JournalFormat::Anchor anchor;
        uint64_t ticket = 0;
    };
    // Queues item; its ticket, and the count of failed writes before it.
    uint64_t queue(Item item, uint64_t* failuresBefore);
    bool waitFor(uint64_t ticket, uint64_t failuresBefore);
    void work();
    // Handles items in order, then writes and syncs what is pending.
    bool process(std::vector<Item>& items);
    bool writePending();
    // A new journal of base and records, synced and renamed over the path;
    // its handle, or -1 (with *why).
    int replace(const JournalFormat::Anchor& base, const std::vector<std::vector<uint8_t>>& records,
                std::string* why);
    void notice(const std::string& text);

    std::string filePath;
    // The writer thread's own (and start's, before it runs).
    int journalHandle = -1;
    uint64_t soundSize = 0;
    std::vector<uint8_t> pending;
    uint64_t pendingSeq = 0;
    uint64_t handledTicket = 0;
    bool keeping = false;
    std::vector<std::vector<uint8_t>> kept;
    bool failing = false;

    mutable std::mutex mutex;
    std::condition_variable wake, settled;
    std::vector<Item> items;
    uint64_t lastTicket = 0, doneTicket = 0, failures = 0, durable = 0;
    bool stopping = false;
    std::vector<std::string> notices;
    std::thread worker;
};
