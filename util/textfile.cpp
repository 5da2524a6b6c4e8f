// Text and file functions and CBufferFile.
#include "util/textfile.h"

#include <windows.h>

#include <io.h>
#include <share.h>

#include <cstring>
#include <new>

namespace {

const unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};

unsigned char* AllocateBytes(std::size_t size) {
    return static_cast<unsigned char*>(::operator new(size));
}

// The size of an open stream, its position left where it was; 0 when it
// cannot be measured.
long MeasureStream(FILE* stream) {
    long position = std::ftell(stream);
    if (position < 0 || std::fseek(stream, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(stream);
    std::fseek(stream, position, SEEK_SET);
    return size > 0 ? size : 0;
}

// Reads the rest of an open stream of `size` bytes into a new block with
// `extra` zero bytes after them; gives the count actually read.
unsigned char* ReadRest(FILE* stream, long size, std::size_t extra, long& read) {
    unsigned char* bytes = AllocateBytes(static_cast<std::size_t>(size) + extra);
    std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(size), stream);
    std::memset(bytes + got, 0, static_cast<std::size_t>(size) - got + extra);
    read = static_cast<long>(got);
    return bytes;
}

} // namespace

int StoreFile(const wchar_t* path, unsigned char*& bytes) {
    bytes = nullptr;
    if (path == nullptr) return 0;
    FILE* stream = _wfsopen(path, L"rb", _SH_DENYNO);
    if (stream == nullptr) return 0;
    long size = MeasureStream(stream);
    long read = 0;
    if (size > 0) {
        try {
            bytes = ReadRest(stream, size, 0, read);
        } catch (...) {
            std::fclose(stream);
            throw;
        }
        // A file that shrank meanwhile gives the bytes that were there.
        if (read == 0) {
            ::operator delete(bytes);
            bytes = nullptr;
        }
    }
    std::fclose(stream);
    return static_cast<int>(read);
}

void FlushFile(const wchar_t* path, unsigned char* bytes, int size) {
    if (path == nullptr) return;
    FILE* stream = _wfopen(path, L"wb");
    if (stream == nullptr) return;
    if (bytes != nullptr && size > 0) std::fwrite(bytes, 1, static_cast<std::size_t>(size), stream);
    std::fclose(stream);
}

int StoreAsciiText(const wchar_t* path, wchar_t*& text) {
    if (path == nullptr) return 0;
    FILE* stream = _wfopen(path, L"r+b");
    if (stream == nullptr) return 0;
    long size = MeasureStream(stream);
    long read = 0;
    unsigned char* bytes = nullptr;
    try {
        if (size > 0) bytes = ReadRest(stream, size, 0, read);
    } catch (...) {
        std::fclose(stream);
        throw;
    }
    std::fclose(stream);
    wchar_t* units;
    try {
        units = static_cast<wchar_t*>(
            ::operator new((static_cast<std::size_t>(read) + 1) * sizeof(wchar_t)));
    } catch (...) {
        ::operator delete(bytes);
        throw;
    }
    for (long i = 0; i < read; ++i) units[i] = static_cast<wchar_t>(bytes[i]);
    units[read] = 0;
    ::operator delete(bytes);
    text = units;
    return 1;
}

int StoreUtf8Text(const wchar_t* path, wchar_t*& text) {
    if (path == nullptr) return 0;
    FILE* stream = _wfopen(path, L"r+b");
    if (stream == nullptr) return 0;
    long size = MeasureStream(stream);
    unsigned char head[3] = {};
    if (size < 3 || std::fread(head, 1, 3, stream) != 3 || std::memcmp(head, kMark, 3) != 0) {
        std::fclose(stream);
        return StoreAsciiText(path, text);
    }
    long read = 0;
    unsigned char* bytes;
    try {
        bytes = ReadRest(stream, size - 3, 1, read);
    } catch (...) {
        std::fclose(stream);
        throw;
    }
    std::fclose(stream);
    try {
        Utf8ToUnicode(text, reinterpret_cast<char*>(bytes));
    } catch (...) {
        ::operator delete(bytes);
        throw;
    }
    ::operator delete(bytes);
    return 1;
}

void WriteUtf8(GString text, GFile& file) {
    char* utf8 = nullptr;
    int size = UnicodeToUtf8(text, utf8);
    try {
        file.Write(utf8, static_cast<unsigned>(size));
    } catch (...) {
        ::operator delete(utf8);
        throw;
    }
    ::operator delete(utf8);
}

void WriteUtf8(GString text, FILE* stream) {
    if (stream == nullptr) return;
    char* utf8 = nullptr;
    int size = UnicodeToUtf8(text, utf8);
    if (size > 0) std::fwrite(utf8, 1, static_cast<std::size_t>(size), stream);
    ::operator delete(utf8);
}

int ReadBOM(unsigned char* bytes) {
    if (bytes == nullptr) return 0;
    return std::memcmp(bytes, kMark, 3) == 0 ? 1 : 0;
}

int ReadBOM(GFile& file) {
    unsigned char head[3] = {};
    if (file.Read(head, 3) != 3) return 0;
    return ReadBOM(head);
}

int ReadBOM(FILE* stream) {
    if (stream == nullptr) return 0;
    unsigned char head[3] = {};
    if (std::fread(head, 1, 3, stream) != 3) return 0;
    return ReadBOM(head);
}

void WriteBOM(unsigned char* bytes) {
    if (bytes != nullptr) std::memcpy(bytes, kMark, 3);
}

void WriteBOM(GFile& file) {
    file.Write(kMark, 3);
}

void WriteBOM(FILE* stream) {
    if (stream != nullptr) std::fwrite(kMark, 1, 3, stream);
}

int ReadLine(wchar_t* text, GString& line) {
    if (text == nullptr || text[0] == 0) return -1;
    int i = 0;
    while (text[i] != 0 && text[i] != L'\r') ++i;
    // The units before the carriage return (or the end) belong to the line.
    line.Append(GString(text, i));
    if (text[i] == 0) return -1;
    return text[i + 1] == L'\n' ? i + 2 : i + 1;
}

int FileExists(const wchar_t* path) {
    if (path == nullptr) return 0;
    return _waccess(path, 0) == 0 ? 1 : 0;
}

void CreateFileList(const wchar_t* folder, const wchar_t* pattern, GStringArray& list) {
    if (folder == nullptr || pattern == nullptr) return;
    GString search;
    search.Format(L"%s\\%s", folder, pattern);
    WIN32_FIND_DATAW found;
    HANDLE handle = ::FindFirstFileW(search, &found);
    if (handle == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) list.Add(found.cFileName);
    } while (::FindNextFileW(handle, &found));
    ::FindClose(handle);
}

int align(int value, int step) {
    if (step == 0) return value;
    long long rounded =
        static_cast<long long>(step) * ((static_cast<long long>(value) - 1) / step + 1);
    return static_cast<int>(rounded);
}

CBufferFile::CBufferFile() = default;

CBufferFile::CBufferFile(const wchar_t* path) {
    StoreFile(path);
}

CBufferFile::CBufferFile(const CBufferFile& other)
    : m_pBuffer(other.m_pBuffer), m_nSize(other.m_nSize), m_owner(other.m_owner) {}

CBufferFile::~CBufferFile() = default;

CBufferFile& CBufferFile::operator=(const CBufferFile& other) {
    m_pBuffer = other.m_pBuffer;
    m_nSize = other.m_nSize;
    m_owner = other.m_owner;
    return *this;
}

int CBufferFile::StoreFile(const wchar_t* path) {
    Reset();
    unsigned char* bytes = nullptr;
    int size = ::StoreFile(path, bytes);
    if (bytes != nullptr) {
        m_owner.reset(bytes, [](unsigned char* p) { ::operator delete(p); });
        m_pBuffer = bytes;
    }
    m_nSize = size;
    return size;
}

void CBufferFile::Reset() {
    m_owner.reset();
    m_pBuffer = nullptr;
}

void* CBufferFile::GetBuffer() {
    return m_pBuffer;
}

int CBufferFile::GetSize() {
    return m_nSize;
}
