#include "net/JournalWriter.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "media/FileStream.h"

using JournalFormat::Anchor;

namespace {

// Writes all of bytes; false with errno set.
bool writeAll(int handle, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(handle, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

JournalWriter::JournalWriter(std::string path) : filePath(std::move(path)) {}

JournalWriter::~JournalWriter() {
    if (worker.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        worker.join();
    }
    if (journalHandle >= 0)
        ::close(journalHandle);
}

int JournalWriter::replace(const Anchor& base, const std::vector<std::vector<uint8_t>>& records,
                           std::string* why) {
    // A fixed name: one left by an interrupted replacement is simply
    // written over by the next.
    const std::string next = filePath + ".new";
    const int handle =
        ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    bool ok = handle >= 0;
    std::vector<uint8_t> bytes(JournalFormat::Mark,
                               JournalFormat::Mark + sizeof JournalFormat::Mark);
    const std::vector<uint8_t> first =
        JournalFormat::anchorRecord(JournalFormat::Entry::Base, base);
    bytes.insert(bytes.end(), first.begin(), first.end());
    for (const std::vector<uint8_t>& record : records)
        bytes.insert(bytes.end(), record.begin(), record.end());
    ok = ok && writeAll(handle, bytes.data(), bytes.size()) && fdatasync(handle) == 0;
    ok = ok && std::rename(next.c_str(), filePath.c_str()) == 0;
    if (!ok) {
        *why = std::strerror(errno);
        if (handle >= 0)
            ::close(handle);
        ::unlink(next.c_str());
        return -1;
    }
    FileStream::syncFolderOf(filePath);
    soundSize = bytes.size();
    return handle;
}

bool JournalWriter::start(const Anchor& base, const std::vector<std::vector<uint8_t>>& records,
                          uint64_t lastSeq, std::string* why) {
    if (worker.joinable())
        return false;
    journalHandle = replace(base, records, why);
    if (journalHandle < 0)
        return false;
    durable = pendingSeq = lastSeq;
    worker = std::thread([this] { work(); });
    return true;
}

uint64_t JournalWriter::queue(Item item, uint64_t* failuresBefore) {
    uint64_t ticket = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ticket = item.ticket = ++lastTicket;
        if (failuresBefore)
            *failuresBefore = failures;
        items.push_back(std::move(item));
    }
    wake.notify_one();
    return ticket;
}

void JournalWriter::append(uint64_t seq, std::vector<uint8_t> record) {
    Item item;
    item.seq = seq;
    item.bytes = std::move(record);
    queue(std::move(item), nullptr);
}

void JournalWriter::keepForCut() {
    Item item;
    item.kind = Item::Keep;
    queue(std::move(item), nullptr);
}

void JournalWriter::stopKeeping() {
    Item item;
    item.kind = Item::StopKeeping;
    queue(std::move(item), nullptr);
}

void JournalWriter::cut(const Anchor& base) {
    Item item;
    item.kind = Item::Cut;
    item.anchor = base;
    queue(std::move(item), nullptr);
}

bool JournalWriter::checkpoint(const Anchor& anchor) {
    Item item;
    item.kind = Item::Checkpoint;
    item.anchor = anchor;
    uint64_t failuresBefore = 0;
    const uint64_t ticket = queue(std::move(item), &failuresBefore);
    return waitFor(ticket, failuresBefore);
}

bool JournalWriter::flush() {
    std::unique_lock<std::mutex> lock(mutex);
    const uint64_t ticket = lastTicket, failuresBefore = failures;
    lock.unlock();
    return waitFor(ticket, failuresBefore);
}

bool JournalWriter::waitFor(uint64_t ticket, uint64_t failuresBefore) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!worker.joinable())
        return false;
    settled.wait(lock, [&] { return doneTicket >= ticket || failures > failuresBefore; });
    return doneTicket >= ticket;
}

uint64_t JournalWriter::durableSeq() const {
    std::lock_guard<std::mutex> lock(mutex);
    return durable;
}

bool JournalWriter::takeNotice(std::string* text) {
    std::lock_guard<std::mutex> lock(mutex);
    if (notices.empty())
        return false;
    *text = notices.front();
    notices.erase(notices.begin());
    return true;
}

void JournalWriter::notice(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    notices.push_back(text);
}

void JournalWriter::work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (items.empty() && !stopping) {
            if (pending.empty())
                wake.wait(lock, [this] { return stopping || !items.empty(); });
            else  // a failed write waits a little before the next try
                wake.wait_for(lock, std::chrono::milliseconds(RetryMilliseconds),
                              [this] { return stopping || !items.empty(); });
        }
        std::vector<Item> taken;
        taken.swap(items);
        const bool last = stopping;
        lock.unlock();
        const bool ok = process(taken);
        lock.lock();
        if (ok) {
            doneTicket = handledTicket;
            durable = pendingSeq;
        } else {
            ++failures;
        }
        settled.notify_all();
        if (last && items.empty())
            return;
    }
}

bool JournalWriter::process(std::vector<Item>& taken) {
    for (Item& item : taken) {
        switch (item.kind) {
        case Item::Record:
            if (keeping)
                kept.push_back(item.bytes);
            pending.insert(pending.end(), item.bytes.begin(), item.bytes.end());
            pendingSeq = item.seq;
            break;
        case Item::Keep:
            keeping = true;
            kept.clear();
            break;
        case Item::StopKeeping:
            keeping = false;
            kept.clear();
            break;
        case Item::Checkpoint: {
            const std::vector<uint8_t> record =
                JournalFormat::anchorRecord(JournalFormat::Entry::Checkpoint, item.anchor);
            pending.insert(pending.end(), record.begin(), record.end());
            break;
        }
        case Item::Cut: {
            // The old journal stays whole until the new one is in place:
            // should the cut fail, it still holds everything.
            std::string why;
            const int next = writePending() ? replace(item.anchor, kept, &why) : -1;
            if (next >= 0) {
                ::close(journalHandle);
                journalHandle = next;
            } else if (!why.empty()) {
                notice("could not cut the journal " + filePath + ": " + why +
                       " (it goes on growing)");
            }
            keeping = false;
            kept.clear();
            break;
        }
        }
        handledTicket = item.ticket;
    }
    return writePending();
}

bool JournalWriter::writePending() {
    if (pending.empty())
        return true;
    if (writeAll(journalHandle, pending.data(), pending.size()) && fdatasync(journalHandle) == 0) {
        soundSize += pending.size();
        pending.clear();
        if (failing) {
            failing = false;
            notice("the journal " + filePath + " is written again");
        }
        return true;
    }
    const std::string why = std::strerror(errno);
    // What a failed write left of its records goes, so that the next
    // records follow sound ones.
    if (ftruncate(journalHandle, static_cast<off_t>(soundSize)) != 0) {
        // The next write fails too and tries again.
    }
    if (!failing) {
        failing = true;
        notice("could not write the journal " + filePath + ": " + why +
               "; its changes are kept in memory and written when it works again");
    }
    return false;
}
