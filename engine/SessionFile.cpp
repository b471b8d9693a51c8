#include "engine/SessionFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/OutputPath.h"
#include "core/RegularFile.h"
#include "core/SessionRecords.h"
#include "engine/TilvexApp.h"
#include "engine/WildCornerMark.h"
#include "studio/PictureNote.h"

namespace tilvex {

namespace {

std::string Text(const char* what, long long value)
{
    return std::string(what) + " " + std::to_string(value);
}

// gridCapacity: the reading program's grid capacity, for the checks.
template <class IO>
void TransferHeader(IO& io, SessionHeader& h, int gridCapacity)
{
    io.Section("header");
    io.I32(h.run.limitReached);
    io.I32(h.run.generating);
    io.I32(h.run.restartPending);
    io.I32(h.run.useRandomSettings);
    io.I32(h.detail.detailedSquare);
    io.U16(h.detail.squareDetailDepth);
    io.I32(h.kindFlags.kindHex);
    io.I32(h.detail.detailedHex);
    io.I32(h.detail.hexKnot);
    io.I32(h.kindFlags.kindReserved);
    io.I32(h.kindFlags.kindFourSixTwelve);
    io.I32(h.kindFlags.kindFourEightEight);
    io.I32(h.kindFlags.kindThreeTwelveTwelve);
    io.I32(h.counters.filledCells);
    io.I32(h.counters.minFilledCells);
    io.I32(h.counters.iterationCount);
    io.I32(h.counters.maxIterations);
    io.FiniteF64(h.geometry.gridScale);
    io.FiniteF64(h.geometry.gridScaleInverse);
    io.U16(h.geometry.gridSize);
    io.FiniteF64(h.geometry.tileWidth);
    io.FiniteF64(h.geometry.tileHeight);
    io.I32(h.geometry.imageWidth);
    io.I32(h.geometry.imageHeight);
    io.Chars(h.identity.quiltName, sizeof h.identity.quiltName);
    io.I16(h.geometry.viewPeriod);
    io.I32(h.geometry.hexSizeLimit);
    io.I32(h.identity.reserved1);
    io.I32(h.identity.reserved2);
    io.I32(h.identity.reserved3);
    io.F64(h.orbit.plotX);
    io.F64(h.orbit.plotY);
    io.Point(h.orbit.point);
    io.Point(h.orbit.nextPoint);
    if constexpr (IO::kReading) {
        // The generation loop counts up to the limit: a negative count would run for billions of steps.
        io.Check(h.counters.iterationCount >= 0,
                 Text("its iteration count is", h.counters.iterationCount) + ", below 0");
        io.Check(h.counters.maxIterations >= 0, Text("its iteration limit is", h.counters.maxIterations) + ", below 0");
        // Later commands copy the depth into the square map, whose tables hold 6.
        io.Check(h.detail.squareDetailDepth <= 6,
                 Text("its square detail depth is", h.detail.squareDetailDepth) + ", above 6");
        io.Check(h.geometry.gridSize >= 20 && h.geometry.gridSize < gridCapacity,
                 Text("its grid size is", h.geometry.gridSize) + ", outside 20 to " + std::to_string(gridCapacity - 1));
        // Cell indices are gridScale times a unit coordinate.
        io.Check(h.geometry.gridScale > 0.0 && h.geometry.gridScale <= 65535.0, "its grid scale is outside 0 to 65535");
        io.Check(h.geometry.hexSizeLimit >= 0 && h.geometry.hexSizeLimit <= 2 * gridCapacity / 3,
                 Text("its hex size limit is", h.geometry.hexSizeLimit) + ", beyond this machine's " +
                     std::to_string(2 * gridCapacity / 3));
        io.Check(std::memchr(h.identity.quiltName, 0, sizeof h.identity.quiltName) != nullptr,
                 "its quilt name has no end");
    }
}

void WriteGrid(ByteWriter& io, QuiltMap& grid)
{
    grid.RemoveFloor();
    io.U16(grid.maxCount);
    io.U16(grid.minCount);
    io.U16(grid.width);
    for (int y = 0; y < grid.width; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            std::uint16_t count = grid.CountAt(x, y);
            io.U16(count);
        }
    }
}

// With grid null only checks the record and steps over the counts.
void ReadGrid(ByteReader& io, QuiltMap* grid, std::size_t storageCells, int gridCapacity)
{
    io.Section("density grid");
    std::uint16_t maxCount = 0, minCount = 0, width = 0;
    io.U16(maxCount);
    io.U16(minCount);
    io.U16(width);
    if (!io.Check(width >= 20 && width < gridCapacity,
                  Text("its grid width is", width) + ", outside 20 to " + std::to_string(gridCapacity - 1)))
        return;
    std::size_t cells = static_cast<std::size_t>(width) * width;
    if (!io.Check(cells <= storageCells, "its grid does not fit this program's grid storage")) return;
    if (!grid) {
        io.Pad(2 * cells);
        return;
    }
    grid->Clear();
    grid->maxCount = maxCount;
    grid->minCount = minCount;
    grid->width = width;
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint16_t count = 0;
            io.U16(count);
            grid->SetCount(x, y, count);
            if (count > grid->maxCount) grid->maxCount = count;
        }
    }
    grid->BuildHistogram();
}

template <class IO>
void TransferPalette(IO& io, Palette& palette)
{
    io.Section("palette");
    for (PaletteEntry& e : palette) {
        io.U8(e.red);
        io.U8(e.green);
        io.U8(e.blue);
        io.U8(e.flags);
    }
}

// Everything a session file holds but the grid, staged while a load is
// checked and committed whole once every check has passed.
struct StagedSession {
    SessionHeader header;
    QuiltMaps maps;
    Palette palette;
};

// Everything after item 1, in file order. With grid null the grid record is
// only checked.
void ReadBody(ByteReader& in, StagedSession& t, QuiltMap* grid, std::size_t gridStorageCells, int gridCapacity)
{
    TransferHeader(in, t.header, gridCapacity);
    TransferRecord(in, t.maps.square);
    TransferRecord(in, t.maps.hex);
    ReadGrid(in, grid, gridStorageCells, gridCapacity);
    TransferRecord(in, t.maps.fourSixTwelve);
    TransferRecord(in, t.maps.fourEightEight);
    TransferRecord(in, t.maps.threeTwelveTwelve);
    TransferRecord(in, t.maps.wildCorner);
    TransferPalette(in, t.palette);
    in.Section("closing bytes");
    in.Pad(kClosingBytes);
}

std::string RefusalReason(const ByteReader& in)
{
    if (in.Truncated())
        return "the file is " + std::to_string(in.Size()) + " bytes long and ends inside its " + in.CurrentSection() +
               " record, shorter than its own fields say";
    return in.Failure() + " (" + in.CurrentSection() + " record)";
}

class WaitCursor {
public:
    explicit WaitCursor(UserInteraction& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
    ~WaitCursor() { ui_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UserInteraction& ui_;
};

std::string ErrnoText() { return std::strerror(errno); }

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the temporary file back: what reached the disk is what was meant.
bool ReadsBackAs(int fd, const std::vector<std::uint8_t>& bytes)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) != bytes.size()) return false;
    std::vector<std::uint8_t> back(bytes.size());
    std::size_t done = 0;
    while (done < back.size()) {
        ssize_t n = ::pread(fd, back.data() + done, back.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return back == bytes;
}

bool LoadFile(const std::string& path, int gridCapacity, std::vector<std::uint8_t>& bytes, SessionLoadFailure& failure)
{
    // One byte past the largest valid file is enough to call it too long.
    if (auto refusal = ReadRegularFile(path, MaxSessionBytes(gridCapacity) + 1, bytes, &failure.error)) {
        failure.message = "Cannot open the session file \"" + path + "\": " + *refusal + ".";
        return false;
    }
    return true;
}

}  // namespace

std::size_t MaxSessionBytes(int gridCapacity)
{
    int widest = gridCapacity > 20 ? gridCapacity - 1 : 20;
    return SessionFileBytes(widest, kWildCornerMaxN / 2 + 1, kWildCornerMaxDepth);
}

std::vector<std::uint8_t> EncodeSession(CTilvexApp& app)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(SessionFileBytes(app.grid.width, 0, 0) + 16 * 22 * 12);
    ByteWriter out(bytes);
    int capacity = app.maxGridSize;
    out.I32(capacity);
    app.identity.reserved1 = WildCornerMark(app.kindFlags);
    SessionHeader header = app.Header();
    TransferHeader(out, header, app.maxGridSize);
    TransferRecord(out, app.maps.square);
    TransferRecord(out, app.maps.hex);
    WriteGrid(out, app.grid);
    TransferRecord(out, app.maps.fourSixTwelve);
    TransferRecord(out, app.maps.fourEightEight);
    TransferRecord(out, app.maps.threeTwelveTwelve);
    TransferRecord(out, app.maps.wildCorner);
    TransferPalette(out, app.palette.paletteEntries);
    out.Pad(kClosingBytes);
    return bytes;
}

std::optional<std::string> DecodeSession(CTilvexApp& app, const std::uint8_t* data, std::size_t size)
{
    if (!app.grid.HasStorage()) return "the program has no grid storage yet";

    ByteReader check(data, size);
    int savedCapacity = 0;
    check.I32(savedCapacity);
    if (check.Truncated()) return RefusalReason(check);
    if (savedCapacity > app.maxGridSize) return std::string(kNotEnoughMemoryToLoad);

    // First pass: into copies, so nothing changes unless every check passes.
    StagedSession staged{app.Header(), app.maps, app.palette.paletteEntries};
    ReadBody(check, staged, nullptr, app.grid.StorageCells(), app.maxGridSize);
    if (!check.Ok()) return RefusalReason(check);
    if (check.Remaining() != 0)
        return "the file goes on after its last field (byte " + std::to_string(check.Position()) +
               "), longer than its own fields say";
    staged.header.kindFlags.kindWildCorner = IsWildCornerSession(staged.header.identity) ? 1 : 0;

    // Second pass: the same bytes through the same checks (the staged values
    // read again are the same), now into the program's grid; the rest is
    // committed from the staged copies.
    ByteReader commit(data, size);
    commit.I32(savedCapacity);
    ReadBody(commit, staged, &app.grid, app.grid.StorageCells(), app.maxGridSize);
    app.CommitHeader(staged.header);
    app.maps = staged.maps;
    app.palette.paletteEntries = staged.palette;
    return std::nullopt;
}

std::optional<std::string> WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    namespace fs = std::filesystem;
    // Saving through a link replaces the file it points to, not the link.
    const fs::path target = WriteTarget(path);
    fs::path dir = target.parent_path();
    if (target.filename().empty()) return "it names a folder, not a file";

    struct stat existing {};
    bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) return "it is a folder";
    // The rename would put a file in place of a device or pipe.
    if (replacing && !S_ISREG(existing.st_mode)) return "it is not a regular file";

    static std::atomic<unsigned> serial = 0;  // several quilts may save at once
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string name = ".";
        name += target.filename().string();
        name += ".saving-";
        name += std::to_string(::getpid());
        name += '-';
        name += std::to_string(++serial);
        temp = dir / name;
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return ErrnoText();

    auto fail = [&](std::string reason) -> std::optional<std::string> {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return reason;
    };
    if (replacing) (void)::fchmod(fd, existing.st_mode & 07777);
    if (!WriteAll(fd, bytes.data(), bytes.size())) return fail(ErrnoText());
    if (::fsync(fd) != 0) return fail(ErrnoText());
    if (!ReadsBackAs(fd, bytes)) return fail("the written file does not read back as written");
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(ErrnoText());
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(ErrnoText());
    // The rename itself survives a crash only once the folder is on disk.
    int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return std::nullopt;
}

std::optional<SessionLoadFailure> LoadSessionFile(CTilvexApp& app, const std::string& path)
{
    SessionLoadFailure failure;
    std::vector<std::uint8_t> bytes;
    if (!LoadFile(path, app.maxGridSize, bytes, failure)) return failure;
    if (studio::LooksLikePicture(bytes.data(), bytes.size())) {
        // A studio picture carries its quilt's session in a text chunk before its pixels.
        std::string error;
        std::optional<studio::PictureNote> note;
        const auto refusal =
            ReadRegularFile(path, 2 * MaxSessionBytes(app.maxGridSize) + (1u << 20), bytes, &failure.error);
        if (refusal)
            error = *refusal;
        else
            note = studio::ReadPictureNote(bytes.data(), bytes.size(), error);
        if (note && note->session.empty()) error = "it carries no quilt session";
        if (!note || note->session.empty()) {
            failure.cause = refusal ? SessionLoadFailure::Cause::File : SessionLoadFailure::Cause::Content;
            failure.message = "Cannot open the quilt of the picture \"" + path + "\": " + error + ".";
            return failure;
        }
        bytes = std::move(note->session);
    }
    if (auto refusal = DecodeSession(app, bytes.data(), bytes.size())) {
        if (*refusal == kNotEnoughMemoryToLoad) {
            failure.cause = SessionLoadFailure::Cause::Capacity;
            failure.message = *refusal;
        } else {
            failure.cause = SessionLoadFailure::Cause::Content;
            failure.message = "Cannot load the session file \"" + path + "\": " + *refusal + ".";
        }
        return failure;
    }
    return std::nullopt;
}

std::optional<std::string> SaveSessionFile(CTilvexApp& app, const std::string& path)
{
    if (auto error = WriteFileReplacing(path, EncodeSession(app)))
        return "Cannot save the session file \"" + path + "\": " + *error + ".";
    return std::nullopt;
}

bool CTilvexApp::SaveSession(const std::string& path)
{
    WaitCursor wait(*ui);
    if (auto message = SaveSessionFile(*this, path)) {
        ui->ShowMessage(*message, MessageIcon::Error);
        return false;
    }
    return true;
}

bool CTilvexApp::LoadSession(const std::string& path)
{
    WaitCursor wait(*ui);
    if (auto failure = LoadSessionFile(*this, path)) {
        ui->ShowMessage(failure->message, MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace tilvex
