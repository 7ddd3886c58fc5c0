#include "media/FileStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <atomic>
#include <vector>

#include "support/ScratchFolder.h"

// Every umask call of this test program passes here. Reading the mask means
// setting it, so a call while another thread creates a file could give that
// file mask 0: the stream reads it once at start-up and never again.
std::atomic<int> umaskCalls{0};
extern "C" mode_t umask(mode_t mask) noexcept {
    umaskCalls.fetch_add(1);
    return static_cast<mode_t>(syscall(SYS_umask, mask));
}

namespace {

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.made()); }

    std::string pathOf(const std::string& name) const { return scratch.path(name); }

    void writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream out(pathOf(name), std::ios::binary);
        out << bytes;
    }

    std::string readFile(const std::string& name) const {
        std::ifstream in(pathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    int entriesInFolder() const {
        int count = 0;
        DIR* d = opendir(scratch.path().c_str());
        while (const dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                ++count;
        }
        closedir(d);
        return count;
    }

    ScratchFolder scratch{"tamo_stream"};
};

}  // namespace

TEST_F(FileStreamTest, MissingFileFailsEveryOperation) {
    FileStream stream(pathOf("missing.bin").c_str(), "rb");
    EXPECT_TRUE(stream.openFailed());
    EXPECT_TRUE(stream.hasFailed());
    EXPECT_FALSE(stream.isOpen());
    char buffer[4] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(stream.seek(0, 0));
    EXPECT_FALSE(stream.readBytes(buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "abcd");  // untouched
    EXPECT_FALSE(stream.writeBytes(buffer, 4));
    EXPECT_EQ(stream.size(), -1);
    EXPECT_EQ(stream.remaining(), -1);
    EXPECT_FALSE(stream.close());
    EXPECT_EQ(entriesInFolder(), 0);  // "rb" created nothing

    FileStream nullPath(nullptr, "rb");
    EXPECT_TRUE(nullPath.openFailed());
    EXPECT_FALSE(nullPath.readBytes(buffer, 1));
}

TEST_F(FileStreamTest, ShortReadKeepsWhatWasReadAndReportsFailure) {
    writeFile("data.bin", "0123456789");
    FileStream stream(pathOf("data.bin").c_str(), "rb");
    ASSERT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.size(), 10);
    EXPECT_TRUE(stream.seek(5, 0));
    EXPECT_EQ(stream.position(), 5);
    EXPECT_EQ(stream.remaining(), 5);
    EXPECT_FALSE(stream.hasFailed());

    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(stream.readBytes(buffer, 8));
    EXPECT_EQ(std::string(buffer, 8), "56789xxx");
    EXPECT_TRUE(stream.hasFailed());
    EXPECT_EQ(stream.remaining(), 0);
}

TEST_F(FileStreamTest, SeekOriginsAndZeroCounts) {
    writeFile("data.bin", "abcdefgh");
    FileStream stream(pathOf("data.bin").c_str(), "rb");
    char c = 0;
    EXPECT_TRUE(stream.seek(2, 0));
    EXPECT_TRUE(stream.seek(3, 1));
    EXPECT_TRUE(stream.readBytes(&c, 1));
    EXPECT_EQ(c, 'f');
    EXPECT_FALSE(stream.seek(0, 2));  // from the end is not offered
    EXPECT_EQ(stream.position(), 6);
    EXPECT_FALSE(stream.seek(-100, 1));
    EXPECT_EQ(stream.position(), 6);

    EXPECT_FALSE(stream.readBytes(&c, 0));
    EXPECT_FALSE(stream.readBytes(&c, -1));
    EXPECT_FALSE(stream.readBytes(nullptr, 1));
    EXPECT_EQ(stream.position(), 6);

    FileStream out(pathOf("out.bin").c_str(), "wb");
    EXPECT_FALSE(out.writeBytes("x", 0));
    EXPECT_FALSE(out.writeBytes("x", -3));
    EXPECT_TRUE(out.close());  // zero-size requests are refused, not failures of the file
    EXPECT_EQ(readFile("out.bin"), "");
}

TEST_F(FileStreamTest, ValuesAreWrittenLittleEndianByteForByte) {
    {
        FileStream out(pathOf("values.bin").c_str(), "wb");
        EXPECT_TRUE(out.writeI32(0x01020304));
        EXPECT_TRUE(out.writeI32(-2));
        EXPECT_TRUE(out.writeU32(0xA0B0C0D0u));
        EXPECT_TRUE(out.writeF32(1.0f));
        EXPECT_TRUE(out.writeU8(0x7F));
        const int32_t raw = 0x11223344;
        EXPECT_TRUE(out.writeBytes(&raw, 4));
        EXPECT_EQ(out.size(), 21);
    }
    const std::string bytes = readFile("values.bin");
    const unsigned char expected[] = {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF,
                                      0xFF, 0xD0, 0xC0, 0xB0, 0xA0, 0x00, 0x00,
                                      0x80, 0x3F, 0x7F, 0x44, 0x33, 0x22, 0x11};
    ASSERT_EQ(bytes.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, sizeof expected), 0);

    FileStream in(pathOf("values.bin").c_str(), "rb");
    int32_t a = 0, b = 0;
    uint32_t c = 0;
    float f = 0;
    uint8_t u = 0;
    EXPECT_TRUE(in.readI32(&a));
    EXPECT_TRUE(in.readI32(&b));
    EXPECT_TRUE(in.readU32(&c));
    EXPECT_TRUE(in.readF32(&f));
    EXPECT_TRUE(in.readU8(&u));
    EXPECT_EQ(a, 0x01020304);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, 0xA0B0C0D0u);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(u, 0x7F);
    EXPECT_EQ(in.remaining(), 4);
    int32_t beyond = 99;
    EXPECT_TRUE(in.readI32(&beyond));
    EXPECT_FALSE(in.readI32(&beyond));
    EXPECT_EQ(beyond, 0x11223344);  // a failed value read leaves the value alone
}

TEST_F(FileStreamTest, WritingIntoMissingOrNonFolderFails) {
    writeFile("plain", "not a folder");
    for (const std::string& path : {pathOf("nofolder/x.map"), pathOf("plain/x.map")}) {
        FileStream out(path.c_str(), "wb");
        EXPECT_TRUE(out.openFailed()) << path;
        EXPECT_FALSE(out.writeBytes("abc", 3));
        EXPECT_FALSE(out.close());
        FileStream atomic(path.c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(atomic.openFailed()) << path;
        EXPECT_FALSE(atomic.writeBytes("abc", 3));
        EXPECT_FALSE(atomic.commit());
        // The cause in the system's words, from the open that failed.
        const char* expected = std::strerror(path == pathOf("plain/x.map") ? ENOTDIR : ENOENT);
        EXPECT_EQ(out.failureReason(), expected) << path;
        EXPECT_EQ(atomic.failureReason(), expected) << path;
    }
    EXPECT_EQ(readFile("plain"), "not a folder");
    EXPECT_EQ(entriesInFolder(), 1);
    char bytes[4];
    FileStream missing(pathOf("absent").c_str(), "rb");
    EXPECT_FALSE(missing.readBytes(bytes, 1));
    EXPECT_EQ(missing.failureReason(), std::strerror(ENOENT));
    // A short read is no system error: nothing to name.
    writeFile("short", "ab");
    FileStream shortRead(pathOf("short").c_str(), "rb");
    EXPECT_FALSE(shortRead.readBytes(bytes, 4));
    EXPECT_EQ(shortRead.failureReason(), "");
}

TEST_F(FileStreamTest, BackslashNamesOpenHostPaths) {
    ASSERT_EQ(mkdir(pathOf("Media").c_str(), 0700), 0);
    writeFile("Media/a.raw", "xyz");
    const std::string name = scratch.path() + "\\Media\\a.raw";
    FileStream in(name.c_str(), "rb");
    char buffer[3];
    ASSERT_TRUE(in.readBytes(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "xyz");
}

TEST_F(FileStreamTest, AtomicReplaceAppearsOnlyOnCommit) {
    writeFile("world.map", "old contents");
    chmod(pathOf("world.map").c_str(), 0640);
    {
        FileStream out(pathOf("world.map").c_str(), "wb", FileStream::ReplaceAtomically);
        ASSERT_TRUE(out.isOpen());
        EXPECT_TRUE(out.writeBytes("new", 3));
        EXPECT_EQ(readFile("world.map"), "old contents");  // still the old file
        EXPECT_EQ(entriesInFolder(), 2);                   // plus the hidden temporary file
        EXPECT_TRUE(out.commit());
        EXPECT_TRUE(out.commit());  // repeated: same answer
        EXPECT_FALSE(out.writeBytes("late", 4));
    }
    EXPECT_EQ(readFile("world.map"), "new");
    EXPECT_EQ(entriesInFolder(), 1);
    struct stat info;
    ASSERT_EQ(stat(pathOf("world.map").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // permissions of the replaced file are kept

    // A new file is created by commit too, and destruction commits a clean
    // stream; its permissions follow the mask without the mask being read.
    const mode_t mask = static_cast<mode_t>(syscall(SYS_umask, 027));
    syscall(SYS_umask, mask);
    const int umaskCallsBefore = umaskCalls.load();
    {
        FileStream out(pathOf("fresh.map").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(out.writeI32(7));
    }
    EXPECT_EQ(readFile("fresh.map"), std::string("\x07\0\0\0", 4));
    EXPECT_EQ(umaskCalls.load(), umaskCallsBefore) << "the mask was read (and so set) again";
    ASSERT_EQ(stat(pathOf("fresh.map").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
}

TEST_F(FileStreamTest, AtomicReplaceKeepsOldFileOnFailureOrDiscard) {
    writeFile("world.map", "old contents");
    {
        FileStream out(pathOf("world.map").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(out.writeBytes("half", 4));
        EXPECT_FALSE(out.seek(0, 7));    // refused origin is not a failure of the file
        EXPECT_FALSE(out.seek(-50, 0));  // a failed seek is
        EXPECT_TRUE(out.hasFailed());
        EXPECT_FALSE(out.commit());
    }
    EXPECT_EQ(readFile("world.map"), "old contents");
    EXPECT_EQ(entriesInFolder(), 1);

    {
        FileStream out(pathOf("world.map").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(out.writeBytes("abandoned", 9));
        out.discard();
        EXPECT_FALSE(out.commit());
    }
    EXPECT_EQ(readFile("world.map"), "old contents");
    EXPECT_EQ(entriesInFolder(), 1);

    // A full device fails the write or the flush: the old file survives.
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_EQ(symlink("/dev/full", pathOf("full").c_str()), 0);
        FileStream direct(pathOf("full").c_str(), "wb");
        std::vector<char> block(1 << 16, 'z');
        direct.writeBytes(block.data(), static_cast<int32_t>(block.size()));
        EXPECT_FALSE(direct.close());
        // An atomic stream refuses to replace something that is not a plain file.
        FileStream atomic(pathOf("full").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(atomic.openFailed());
    }
    // Read modes make no sense for a replacement.
    FileStream reading(pathOf("world.map").c_str(), "rb", FileStream::ReplaceAtomically);
    EXPECT_TRUE(reading.openFailed());
    EXPECT_EQ(readFile("world.map"), "old contents");
}

TEST_F(FileStreamTest, AtomicReplaceThroughSymlinkReplacesTheTarget) {
    writeFile("real.map", "old");
    ASSERT_EQ(symlink(pathOf("real.map").c_str(), pathOf("link.map").c_str()), 0);
    {
        FileStream out(pathOf("link.map").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(out.writeBytes("new", 3));
        EXPECT_TRUE(out.commit());
    }
    struct stat info;
    ASSERT_EQ(lstat(pathOf("link.map").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readFile("real.map"), "new");
}

// A link to a file not there yet makes that file and keeps the link; a
// commit removes the temporary files that interrupted writes of the same
// target left (old enough not to be another writer's), and nothing else; a
// prepared stream appears only when published.
TEST_F(FileStreamTest, DanglingLinksStaleTemporariesAndPreparedFiles) {
    ASSERT_EQ(mkdir(pathOf("sub").c_str(), 0700), 0);
    ASSERT_EQ(symlink("sub/later.map", pathOf("link.map").c_str()), 0);
    writeFile(".link.map.Aa11Bb", "stale");         // a leftover of the link's own name
    writeFile("sub/.later.map.Cc22Dd", "too new");  // perhaps another writer's
    writeFile("sub/.later.map.Ee33Ff", "stale");
    writeFile("sub/.later.map.Gg44Hh.x", "not ours");
    for (const char* old : {".link.map.Aa11Bb", "sub/.later.map.Ee33Ff"}) {
        const timespec times[2] = {{1000, 0}, {1000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, pathOf(old).c_str(), times, 0), 0);
    }
    {
        FileStream out(pathOf("link.map").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(out.writeBytes("new", 3));
        EXPECT_TRUE(out.commit());
    }
    struct stat info;
    ASSERT_EQ(lstat(pathOf("link.map").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link was replaced";
    EXPECT_EQ(readFile("sub/later.map"), "new");
    EXPECT_FALSE(access(pathOf("sub/.later.map.Ee33Ff").c_str(), F_OK) == 0);
    EXPECT_TRUE(access(pathOf("sub/.later.map.Gg44Hh.x").c_str(), F_OK) == 0);
    EXPECT_TRUE(access(pathOf("sub/.later.map.Cc22Dd").c_str(), F_OK) == 0);
    FileStream::removeStaleTemporaries(pathOf("link.map"), 0);
    EXPECT_FALSE(access(pathOf(".link.map.Aa11Bb").c_str(), F_OK) == 0);

    const int before = entriesInFolder();
    {
        FileStream kept(pathOf("set.txt").c_str(), "wb", FileStream::ReplaceAtomically);
        EXPECT_TRUE(kept.writeBytes("abc", 3));
        EXPECT_TRUE(kept.prepare());
        EXPECT_EQ(access(pathOf("set.txt").c_str(), F_OK), -1);
    }
    EXPECT_EQ(entriesInFolder(), before) << "an unpublished file stayed";
    FileStream shown(pathOf("set.txt").c_str(), "wb", FileStream::ReplaceAtomically);
    EXPECT_TRUE(shown.writeBytes("abc", 3));
    EXPECT_TRUE(shown.prepare());
    EXPECT_TRUE(shown.publish());
    EXPECT_EQ(readFile("set.txt"), "abc");
}
