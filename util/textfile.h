// Whole-file reading and writing, UTF-8 conversion, the UTF-8 byte-order mark,
// a line splitter, a file-existence test, a folder listing, a rounding
// function, and CBufferFile, which holds the whole content of one file.
//
// Blocks returned through a reference argument are new allocations owned by
// the caller, made with the plain ::operator new and released with the plain
// ::operator delete. Wide and UTF-8 blocks end with a 0 terminator; the raw
// bytes of StoreFile have none. Files are read and written as raw bytes.
#pragma once

#include <cstdio>
#include <memory>

#include "util/export.h"
#include "util/gfile.h"
#include "util/gstring.h"
#include "util/gstringarray.h"
#include "util/utf8.h" // UnicodeToUtf8, Utf8ToUnicode

// Reads the whole file into a new block; returns its size (0 and a null block
// when the file cannot be opened or is empty).
QUILLON_UTIL_API int StoreFile(const wchar_t* path, unsigned char*& bytes);
// Writes size bytes as the whole new content of the file.
QUILLON_UTIL_API void FlushFile(const wchar_t* path, unsigned char* bytes, int size);
// Reads the file as 8-bit text, each byte widened; 1 on success, 0 (text
// unchanged) when the file cannot be opened for reading and updating.
QUILLON_UTIL_API int StoreAsciiText(const wchar_t* path, wchar_t*& text);
// Reads the file as UTF-8 when it starts with the mark, else as 8-bit text.
QUILLON_UTIL_API int StoreUtf8Text(const wchar_t* path, wchar_t*& text);
// Writes the text, up to its first 0 unit, as UTF-8 (no mark).
QUILLON_UTIL_API void WriteUtf8(GString text, GFile& file);
QUILLON_UTIL_API void WriteUtf8(GString text, FILE* stream);
// 1 if the next three bytes are the UTF-8 mark EF BB BF, else 0 (also when
// fewer than three bytes are left). The file or stream moves past the bytes read.
QUILLON_UTIL_API int ReadBOM(unsigned char* bytes);
QUILLON_UTIL_API int ReadBOM(GFile& file);
QUILLON_UTIL_API int ReadBOM(FILE* stream);
QUILLON_UTIL_API void WriteBOM(unsigned char* bytes);
QUILLON_UTIL_API void WriteBOM(GFile& file);
QUILLON_UTIL_API void WriteBOM(FILE* stream);
// Appends the units of the first line (ended by CR or CR LF) to line; returns
// the index where the next line starts, or -1 when no CR ends the text.
QUILLON_UTIL_API int ReadLine(wchar_t* text, GString& line);
QUILLON_UTIL_API int FileExists(const wchar_t* path);
// Appends the names of the files (not folders) in folder that match pattern.
QUILLON_UTIL_API void CreateFileList(const wchar_t* folder, const wchar_t* pattern,
                                     GStringArray& list);
// value rounded up to a multiple of step (0 gives step). A step of 0 gives
// the value unchanged.
QUILLON_UTIL_API int align(int value, int step);

// The whole content of one file in memory. Copies and assignments share the
// buffer; it is freed once, when the last object that refers to it lets go of
// it (destruction, Reset or StoreFile).
class QUILLON_UTIL_API CBufferFile {
  public:
    CBufferFile();
    explicit CBufferFile(const wchar_t* path);
    CBufferFile(const CBufferFile& other);
    ~CBufferFile();
    CBufferFile& operator=(const CBufferFile& other);

    int StoreFile(const wchar_t* path);
    void Reset();
    void* GetBuffer();
    int GetSize();

  private:
    unsigned char* m_pBuffer = nullptr;
    int m_nSize = 0;
    std::shared_ptr<unsigned char> m_owner; // keeps m_pBuffer alive
};
