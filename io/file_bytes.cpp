#include "io/file_bytes.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "codec/base/text.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quillon {

namespace {

// The largest file read whole.
constexpr std::size_t kMostBytes = 0x7FFFFFFF;

// Reads the whole file at `hostPath` into `into`, which makes room with
// Reserve(n), reads its next bytes from a file with ReadSome(f) (0 at the
// end) and tells how many it holds with Size().
template <class Into>
bool ReadAll(const std::string& hostPath, Into& into, std::string& reason) {
    std::FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f) {
        reason = FormatText("cannot open '%s': %s", hostPath.c_str(), std::strerror(errno));
        return false;
    }
    // Room for the whole file at once: growing as the pieces come would copy
    // it and touch twice its size in fresh memory.
    // A file too large is refused before it is read (a sparse file of 4 GiB
    // costs nothing on the disk), and a pipe or device once it has given
    // more than the most.
    std::error_code sizeError;
    const auto expected = std::filesystem::file_size(hostPath, sizeError);
    bool tooLarge = !sizeError && expected > kMostBytes;
    if (!sizeError && !tooLarge) into.Reserve(static_cast<std::size_t>(expected));
    while (!tooLarge && into.ReadSome(f) > 0) tooLarge = into.Size() > kMostBytes;
    const bool failed = !tooLarge && std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) {
        reason = FormatText("cannot read '%s': %s", hostPath.c_str(), std::strerror(err));
        return false;
    }
    if (tooLarge) {
        reason = FormatText("'%s' is too large (2 GiB at most)", hostPath.c_str());
        return false;
    }
    return true;
}

struct IntoString {
    std::string& bytes;
    void Reserve(std::size_t n) { bytes.reserve(n); }
    std::size_t ReadSome(std::FILE* f) {
        char buffer[1 << 16];
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        bytes.append(buffer, n);
        return n;
    }
    std::size_t Size() const { return bytes.size(); }
};

#if defined(__linux__)
// Buffers from this size on are mapped in huge pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
#endif

} // namespace

bool ReadWholeFile(const std::string& hostPath, std::string& bytes, std::string& reason) {
    bytes.clear();
    IntoString into{bytes};
    return ReadAll(hostPath, into, reason);
}

FileBytes::~FileBytes() {
    Release();
}

void FileBytes::Release() {
#if defined(__linux__)
    if (mapped_) munmap(data_, room_);
#endif
    if (!mapped_) delete[] data_;
    data_ = nullptr;
    size_ = room_ = 0;
    mapped_ = false;
}

void FileBytes::Reserve(std::size_t room) {
    if (room <= room_) return;
    char* data = nullptr;
    bool mapped = false;
#if defined(__linux__)
    if (room >= kHugePage) {
        // Rounded up to whole huge pages, and one more to align the start.
        room = (room + kHugePage - 1) / kHugePage * kHugePage;
        void* m = mmap(nullptr, room + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m != MAP_FAILED) {
            char* start = static_cast<char*>(m);
            const std::size_t skip =
                (kHugePage - reinterpret_cast<std::uintptr_t>(start) % kHugePage) % kHugePage;
            // The unaligned head and the tail past the room go back at once.
            if (skip) munmap(start, skip);
            if (kHugePage - skip) munmap(start + skip + room, kHugePage - skip);
            data = start + skip;
            madvise(data, room, MADV_HUGEPAGE); // a hint: without it, 4 KiB pages
            mapped = true;
        }
    }
#endif
    if (!data) data = new char[room];
    if (size_) std::memcpy(data, data_, size_);
    const std::size_t size = size_;
    Release();
    data_ = data;
    size_ = size;
    room_ = room;
    mapped_ = mapped;
}

bool FileBytes::Read(const std::string& hostPath, std::string& reason) {
    size_ = 0;
    struct Into {
        FileBytes& to;
        void Reserve(std::size_t n) { to.Reserve(n + 1); }
        std::size_t ReadSome(std::FILE* f) {
            if (to.size_ == to.room_) to.Reserve(to.room_ < (1u << 16) ? 1u << 16 : to.room_ * 2);
            const std::size_t n = std::fread(to.data_ + to.size_, 1, to.room_ - to.size_, f);
            to.size_ += n;
            return n;
        }
        std::size_t Size() const { return to.size_; }
    } into{*this};
    return ReadAll(hostPath, into, reason);
}

} // namespace quillon
