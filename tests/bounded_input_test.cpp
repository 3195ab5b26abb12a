// Every reader takes at most what a valid file of its kind can need and refuses anything
// longer with its own message, whether the source is a file, a pipe or a device.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "editor/commands.h"
#include "model/bitmap_file.h"
#include "model/file_io.h"
#include "model/trk_file.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

namespace cs {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::error_code too_large = std::make_error_code(std::errc::file_too_large);

using test_support::write_file;

// A file of the given length whose blocks are never written: it takes no room on the disk.
void put_sparse(const fs::path& path, std::uintmax_t length) {
    write_file(path, "");
    fs::resize_file(path, length);
}

// The sources that never fit: the file given, and an endless device where the system has one.
std::vector<fs::path> too_long_sources(const fs::path& file) {
#ifdef _WIN32
    return {file};
#else
    return {file, "/dev/zero"};
#endif
}

struct BoundedInput : test_support::EditorTest {
    test_support::TempDir dir{"bounded-input"};

    // Runs a panel command whose file dialog is answered with path.
    void run(void (*command)(Editor&), const fs::path& path) {
        ui.messages.clear();
        run_with_file(command, path);
    }
};

// Reading from a pipe, through the name of its read end, while a thread writes `length`
// bytes into it and closes it.
#ifdef _WIN32
bool read_from_pipe(std::size_t length, std::size_t limit, Bytes& bytes, std::error_code& reason) {
    static int made = 0;
    const std::string name = "\\\\.\\pipe\\coursesmith-bounded-" + std::to_string(::_getpid()) +
                             "-" + std::to_string(++made);
    const HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                           65536, 65536, 0, nullptr);
    EXPECT_NE(server, INVALID_HANDLE_VALUE);
    std::thread writer([&] {
        ConnectNamedPipe(server, nullptr); // fails at once when the reader came first
        const Bytes data(length, 0x5A);
        std::size_t done = 0;
        DWORD n = 0;
        while (done < length && WriteFile(server, data.data() + done,
                                          static_cast<DWORD>(length - done), &n, nullptr)) {
            done += n;
        }
        FlushFileBuffers(server); // until the reader has taken everything, or has gone
        CloseHandle(server);
    });
    const bool read = read_whole_file(name, bytes, &reason, limit);
    writer.join();
    return read;
}
#else
bool read_from_pipe(std::size_t length, std::size_t limit, Bytes& bytes, std::error_code& reason) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        const Bytes data(length, 0x5A);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = ::write(ends[1], data.data() + done, length - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::close(ends[1]);
    });
    const bool read = read_whole_file("/dev/fd/" + std::to_string(ends[0]), bytes, &reason, limit);
    writer.join();
    ::close(ends[0]);
    return read;
}
#endif

TEST_F(BoundedInput, ReadingStopsAtTheLimitWhateverTheSource) {
    const Bytes untouched{7, 7};
    Bytes bytes = untouched;
    std::error_code reason;

    // A regular file: its length exactly at the limit is read, one byte more is refused.
    write_file(dir / "limit", Bytes(1000, 1));
    ASSERT_TRUE(read_whole_file(dir / "limit", bytes, &reason, 1000)) << reason.message();
    EXPECT_EQ(bytes.size(), 1000u);
    bytes = untouched;
    EXPECT_FALSE(read_whole_file(dir / "limit", bytes, &reason, 999));
    EXPECT_EQ(reason, too_large);
    EXPECT_EQ(bytes, untouched);

    // A pipe that needs several reads (more than its buffer): the same boundary.
    const std::size_t limit = 200000;
    reason.clear();
    ASSERT_TRUE(read_from_pipe(limit, limit, bytes, reason)) << reason.message();
    EXPECT_EQ(bytes, Bytes(limit, 0x5A));
    bytes = untouched;
    EXPECT_FALSE(read_from_pipe(limit + 1, limit, bytes, reason));
    EXPECT_EQ(reason, too_large);
    EXPECT_EQ(bytes, untouched);

    // A 2 GB file, and a device that never ends, are refused: the call returns.
    put_sparse(dir / "huge", std::uintmax_t{2} << 30);
    for (const fs::path& path : too_long_sources(dir / "huge")) {
        SCOPED_TRACE(path);
        reason.clear();
        EXPECT_FALSE(read_whole_file(path, bytes, &reason, limit));
        EXPECT_EQ(reason, too_large);
        EXPECT_EQ(bytes, untouched);
    }

    // Without a limit a file is read whole, as before.
    ASSERT_TRUE(read_whole_file(dir / "limit", bytes));
    EXPECT_EQ(bytes.size(), 1000u);
}

// A named FIFO that nothing writes to reads as empty instead of holding the reader at the
// open for ever; a reader that does block is let go by opening the FIFO for writing.
TEST_F(BoundedInput, AFifoWithoutAWriterReadsAsEmpty) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs in the file system";
#else
    const fs::path fifo = dir / "fifo.trk";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto track = std::make_unique<Track>();
    auto reading = std::async(std::launch::async, [&] { return read_track(fifo, *track); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the reader waits for a writer";
        ::close(::open(fifo.c_str(), O_WRONLY));
    }
    const TrackReadResult result = reading.get();
    EXPECT_EQ(result.error, TrackFileError::damaged);
    EXPECT_FALSE(result.reason);
#endif
}

// The largest valid track: every list at its capacity, the land in 262144 single-cell runs,
// the author and comments full, then a recorded lap of 65535 samples.
Bytes largest_track_with_lap() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    for (int cell = 0; cell < land_cells; ++cell) {
        track->land[cell] = static_cast<std::uint8_t>(cell % 2); // neighbours in file order differ
    }
    track->object_count = max_objects;
    for (int i = 0; i < max_objects; ++i) {
        track->objects[i] = {100.0f, 200.0f, 1.0f,
                             static_cast<std::uint8_t>(i % object_kind_count)};
    }
    track->pit_count = max_pits;
    track->checkpoint_count = max_checkpoints;
    track->ai_line_count = max_ai_line;
    track->ai_pit_line_count = max_ai_pit_line;
    track->author.fill('a');
    track->author[author_capacity] = 0;
    track->comments.fill('c');
    track->comments[comments_capacity] = 0;
    Bytes bytes = encode_track(*track);
    // 65535 samples in 32768 records of 12 bytes behind their count.
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    bytes.resize(bytes.size() + 32768 * 12, 0);
    return bytes;
}

TEST_F(BoundedInput, TheLargestTrackWithALapIsReadAndOneByteMoreIsRefused) {
    // Header 20, land 2 * 262144, heights 2 + 4096, objects 2 + 8 * 65535, pits 1 + 6 * 6,
    // checkpoints 1 + 8 * 255, AI line 2 + 4 * 65535, pit line 1 + 4 * 255, trailer 538,
    // game block 9625, lap 2 + 32768 * 12.
    constexpr std::size_t largest = 1721310;
    EXPECT_EQ(max_track_file_size, largest);
    Bytes bytes = largest_track_with_lap();
    ASSERT_EQ(bytes.size(), largest);
    write_file(dir / "largest.trk", bytes);
    bytes.push_back(0);
    write_file(dir / "longer.trk", bytes);

    auto track = std::make_unique<Track>();
    reset_track(*track);
    TrackReadResult result = read_track(dir / "largest.trk", *track);
    ASSERT_EQ(result.error, TrackFileError::none);
    EXPECT_EQ(track->object_count, max_objects);
    EXPECT_EQ(track->ai_line_count, max_ai_line);

    // The track reader's own message, with the reason the tools show beside it; the track
    // stays as it was.
    reset_track(*track);
    for (const fs::path& path : too_long_sources(dir / "longer.trk")) {
        SCOPED_TRACE(path);
        result = read_track(path, *track);
        EXPECT_EQ(result.error, TrackFileError::damaged);
        EXPECT_EQ(result.reason, too_large);
        EXPECT_EQ(track->object_count, start_positions);
    }

    // The lap import takes the same bound: the largest file's lap becomes the AI line.
    run(&import_ai_line_command, dir / "largest.trk");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GT(editor->track.ai_line_count, 0);
    editor->track.ai_line_count = 0;
    for (const fs::path& path : too_long_sources(dir / "longer.trk")) {
        SCOPED_TRACE(path);
        run(&import_ai_line_command, path);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't find ghost lap."});
        EXPECT_EQ(editor->documents.last_file_error, too_large);
        EXPECT_EQ(editor->track.ai_line_count, 0);
    }
}

TEST_F(BoundedInput, A2GigabyteFileIsRefusedByEveryReader) {
    const fs::path huge = dir / "huge";
    put_sparse(huge, std::uintmax_t{2} << 30);
    const auto start = std::chrono::steady_clock::now();

    auto track = std::make_unique<Track>();
    EXPECT_EQ(read_track(huge, *track).error, TrackFileError::damaged);
    run(&import_land_command, huge);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"This is not a 512x512 16-color bitmap."});
    run(&import_heights_command, huge);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"This is not a 64x64 256-color bitmap."});
    run(&import_ai_line_command, huge);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't find ghost lap."});

    const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    std::printf("four readers refused a 2 GB file in %.3f s\n", took.count());
}

// A bitmap with foreign material behind it (another program's profile, padding) is
// imported while its length stays within the bitmap's size plus 64 KiB; longer, the import
// refuses it as not its kind of bitmap and changes nothing, naming the length as the reason
// only when the headers fit.
TEST_F(BoundedInput, BitmapImportsTakeTheirSizePlusTheMargin) {
    struct Case {
        const char* name;
        void (*import)(Editor&);
        Bytes bitmap;
        std::string refusal;
    };
    Track& t = editor->track;
    t.land.fill(3);
    t.heights.fill(0x4200);
    const Case cases[] = {
        {"land", &import_land_command, encode_land_bitmap(t),
         "This is not a 512x512 16-color bitmap."},
        {"heights", &import_heights_command, encode_height_bitmap(t),
         "This is not a 64x64 256-color bitmap."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_track(t);
        const auto land_before = t.land;
        const auto heights_before = t.heights;

        Bytes bytes = c.bitmap;
        bytes.resize(c.bitmap.size() + 65536, 0xEE);
        write_file(dir / "longer.bmp", Bytes(bytes.begin(), bytes.end()));
        bytes.push_back(0xEE);
        write_file(dir / "too-long.bmp", bytes);

        for (const fs::path& path : too_long_sources(dir / "too-long.bmp")) {
            SCOPED_TRACE(path);
            run(c.import, path);
            EXPECT_EQ(ui.messages, std::vector<std::string>{c.refusal});
            EXPECT_EQ(editor->documents.last_file_error, too_large);
            EXPECT_EQ(t.land, land_before);
            EXPECT_EQ(t.heights, heights_before);
        }
        // As long, but its headers already say 24 bits per pixel: refused for that alone.
        bytes[28] = 24;
        write_file(dir / "deep.bmp", bytes);
        run(c.import, dir / "deep.bmp");
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.refusal});
        EXPECT_FALSE(editor->documents.last_file_error);
        run(c.import, dir / "longer.bmp");
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(t.land != land_before || t.heights != heights_before) << "not imported";
    }
}

} // namespace
} // namespace cs
