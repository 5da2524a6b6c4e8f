// A whole file's bytes in memory, for inputs that may be large (a stream of
// bytecode is read whole before it is disassembled). On Linux a large buffer
// is asked for in huge pages: a fresh 4 KiB page costs more to fault in than
// its bytes cost to read, several times the time of the read itself for a
// file of 16 MiB.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

class FileBytes {
  public:
    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    // Reads the whole file at the host path `hostPath`, replacing what was
    // held. False with `reason` set as ReadWholeFile sets it.
    bool Read(const std::string& hostPath, std::string& reason);
    std::string_view View() const { return {data_, size_}; }

  private:
    // Room for at least `room` bytes, keeping the ones held.
    void Reserve(std::size_t room);
    void Release();

    char* data_ = nullptr;
    std::size_t size_ = 0, room_ = 0;
    bool mapped_ = false; // from the system's pages rather than new[]
};

// Reads a whole file; false with a reason on failure.
bool ReadWholeFile(const std::string& hostPath, std::string& bytes, std::string& reason);

} // namespace quillon
