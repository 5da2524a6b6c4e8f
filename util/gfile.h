// GFile: owner of one system file handle, opened by path with a set of mode
// flags, with virtual operations to read, write, seek, lock, flush and close.
//
// Open calls Close and GetSecurityAttributes, ReadHuge calls Read, WriteHuge
// calls Write, SeekToBegin, SeekToEnd and SetEndOfFile call Seek, and
// SetLength calls SetEndOfFile, all through the virtual table, so that a
// derived class that replaces one of them changes the others. The destructor
// is not virtual.
#pragma once

#include <windows.h>

#include "util/export.h"
#include "util/gstring.h"

class QUILLON_UTIL_API GFile {
  public:
    // Open flags. Access (mask 0x3): read 0, write 1, read and write 2, no
    // access rights 3. Sharing (mask 0x70): 0x20 others may read, 0x30 others
    // may write, 0x40 both, any other value none.
    enum OpenFlags : unsigned {
        modeRead = 0x0,
        modeWrite = 0x1,
        modeReadWrite = 0x2,
        modeNoAccess = 0x3,
        shareDenyWrite = 0x20,
        shareDenyRead = 0x30,
        shareDenyNone = 0x40,
        modeNoInherit = 0x80,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
        osDeleteOnClose = 0x100000,
    };
    // Seek origins.
    enum SeekOrigin : unsigned { begin = 0, current = 1, end = 2 };

    GFile();
    GFile(const wchar_t* name, unsigned flags);
    explicit GFile(long long handle);
    ~GFile();

    // The virtual operations, in the order of the exported table.
    virtual operator int() const;
    virtual void Abort();
    virtual void Close();
    virtual GFile* Duplicate() const;
    virtual void Flush();
    virtual GString GetFileName() const;
    virtual GString GetFilePath() const;
    virtual GString GetFileTitleW() const;
    virtual HANDLE GetHandle() const;
    virtual int GetInformation(BY_HANDLE_FILE_INFORMATION& information) const;
    virtual unsigned long long GetLength() const;
    virtual unsigned long long GetPosition() const;
    virtual SECURITY_ATTRIBUTES* GetSecurityAttributes() const;
    virtual SECURITY_DESCRIPTOR* GetSecurityDescriptor() const;
    virtual void LockRange(unsigned long long position, unsigned long long count);
    virtual int Open(const wchar_t* name, unsigned flags);
    virtual unsigned Read(void* buffer, unsigned count);
    virtual unsigned long ReadHuge(void* buffer, unsigned long count);
    virtual unsigned long long Seek(unsigned long long offset, unsigned origin);
    virtual void SeekToBegin();
    virtual unsigned long long SeekToEnd();
    virtual int SetEndOfFile(unsigned long long length);
    virtual void SetFilePath(const wchar_t* text);
    virtual void SetLength(unsigned long long length);
    virtual void UnlockRange(unsigned long long position, unsigned long long count);
    virtual void Write(const void* buffer, unsigned count);
    virtual void WriteHuge(const void* buffer, unsigned long count);

    static void Rename(const wchar_t* oldName, const wchar_t* newName);
    static void Remove(const wchar_t* name);

  protected:
    void m_Initialize();
    void m_Uninitialize();

  private:
    GFile(const GFile&) = delete;
    GFile& operator=(const GFile&) = delete;

    bool IsOpen() const;

    SECURITY_ATTRIBUTES* m_pSecurityAttributes = nullptr;
    SECURITY_DESCRIPTOR* m_pSecurityDescriptor = nullptr;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    GString m_strFilePath;
    GString m_strFileName;
    mutable GString m_strFileTitle;
    int m_bCloseOnDelete = 0;
    int m_hFileValue = -1;
};
