// GFile: file object over a system handle.
#include "util/gfile.h"

#include <commdlg.h>

#include <cstdint>
#include <new>
#include <string>

namespace {

const unsigned kAccessMask = 0x3;
const unsigned kShareMask = 0x70;
const unsigned kFailedSeek = 0xFFFFFFFF;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The root of a full path: for "\\server\share\..." the server and share parts
// up to and including the separator after the share, otherwise everything up
// to and including the first separator. Always ends with a separator.
std::wstring RootOf(const std::wstring& path) {
    std::size_t end;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t i = 2;
        while (i < path.size() && !IsSeparator(path[i])) ++i; // server
        if (i < path.size()) ++i;
        while (i < path.size() && !IsSeparator(path[i])) ++i; // share
        end = i;
    } else {
        end = 0;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
    }
    std::wstring root = path.substr(0, end);
    if (end < path.size()) root += path[end];
    if (root.empty() || !IsSeparator(root.back())) root += L'\\';
    return root;
}

// The full path of a name as the file system spells it.
GString FullPath(const wchar_t* name) {
    wchar_t buffer[MAX_PATH];
    DWORD length = ::GetFullPathNameW(name, MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        // The path is then the name itself, cut to MAX_PATH - 1 units.
        return GString(name).Left(MAX_PATH - 1);
    }
    std::wstring path(buffer, length);
    std::wstring root = RootOf(path);
    DWORD flags = 0;
    if (::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        if (!(flags & FILE_CASE_PRESERVED_NAMES)) ::CharUpperW(&path[0]);
        if (!(flags & FILE_UNICODE_ON_DISK)) {
            WIN32_FIND_DATAW found;
            HANDLE search = ::FindFirstFileW(path.c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) {
                ::FindClose(search);
                std::size_t last = path.find_last_of(L"\\/");
                std::size_t keep = last == std::wstring::npos ? 0 : last + 1;
                path = path.substr(0, keep) + found.cFileName;
            }
        }
    }
    return GString(path.c_str());
}

} // namespace

GFile::GFile() {
    m_Initialize();
}

GFile::GFile(const wchar_t* name, unsigned flags) {
    m_Initialize();
    Open(name, flags);
}

GFile::GFile(long long handle) {
    m_Initialize();
    // The low 32 bits, widened as the system widens 32-bit handle values.
    std::int32_t low = static_cast<std::int32_t>(static_cast<std::uint32_t>(handle & 0xFFFFFFFF));
    m_hFile = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(low));
    m_hFileValue = low;
    m_bCloseOnDelete = 0;
}

GFile::~GFile() {
    if (IsOpen() && m_bCloseOnDelete == 1) GFile::Close();
    m_Uninitialize();
}

void GFile::m_Initialize() {
    m_pSecurityAttributes = nullptr;
    m_pSecurityDescriptor = nullptr;
    SECURITY_ATTRIBUTES* attributes = new (std::nothrow) SECURITY_ATTRIBUTES;
    SECURITY_DESCRIPTOR* descriptor = new (std::nothrow) SECURITY_DESCRIPTOR;
    bool built = attributes != nullptr && descriptor != nullptr &&
                 ::InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 // A present but null access-control list: everyone has all access.
                 ::SetSecurityDescriptorDacl(descriptor, TRUE, nullptr, FALSE);
    if (!built) {
        delete attributes;
        delete descriptor;
        return;
    }
    attributes->nLength = sizeof(SECURITY_ATTRIBUTES);
    attributes->lpSecurityDescriptor = descriptor;
    attributes->bInheritHandle = TRUE;
    m_pSecurityAttributes = attributes;
    m_pSecurityDescriptor = descriptor;
}

void GFile::m_Uninitialize() {
    delete m_pSecurityAttributes;
    delete m_pSecurityDescriptor;
    m_pSecurityAttributes = nullptr;
    m_pSecurityDescriptor = nullptr;
}

bool GFile::IsOpen() const {
    return m_hFile != INVALID_HANDLE_VALUE;
}

GFile::operator int() const {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(m_hFile));
}

void GFile::Abort() {
    GFile::Close();
}

void GFile::Close() {
    if (IsOpen()) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_strFilePath.Empty();
    m_strFileName.Empty();
    m_strFileTitle.Empty();
    m_bCloseOnDelete = 0;
    m_hFileValue = -1;
}

GFile* GFile::Duplicate() const {
    if (!IsOpen()) return nullptr;
    HANDLE process = ::GetCurrentProcess();
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!::DuplicateHandle(process, m_hFile, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    GFile* file = new (std::nothrow) GFile();
    if (file == nullptr) {
        ::CloseHandle(copy);
        return nullptr;
    }
    file->m_hFile = copy;
    file->m_hFileValue = static_cast<int>(reinterpret_cast<std::intptr_t>(copy));
    file->m_bCloseOnDelete = m_bCloseOnDelete;
    file->m_strFilePath = m_strFilePath;
    file->m_strFileName = m_strFileName;
    file->m_strFileTitle = m_strFileTitle;
    return file;
}

void GFile::Flush() {
    if (IsOpen()) ::FlushFileBuffers(m_hFile);
}

GString GFile::GetFileName() const {
    return m_strFileName;
}

GString GFile::GetFilePath() const {
    return m_strFilePath;
}

GString GFile::GetFileTitleW() const {
    if (m_strFileTitle.IsEmpty() && !m_strFilePath.IsEmpty()) {
        wchar_t title[256] = {};
        if (::GetFileTitleW(m_strFilePath, title, 256) == 0) {
            m_strFileTitle = title;
        } else {
            int last = -1;
            for (int i = 0; i < m_strFilePath.GetLength(); ++i) {
                wchar_t c = m_strFilePath.GetAt(i);
                if (c == L'/' || c == L':' || c == L'\\') last = i;
            }
            m_strFileTitle = m_strFilePath.Mid(last + 1).Left(255);
        }
    }
    return m_strFileTitle;
}

HANDLE GFile::GetHandle() const {
    return m_hFile;
}

int GFile::GetInformation(BY_HANDLE_FILE_INFORMATION& information) const {
    if (!IsOpen()) return 0;
    return ::GetFileInformationByHandle(m_hFile, &information) ? 1 : 0;
}

unsigned long long GFile::GetLength() const {
    if (!IsOpen()) return 0;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) return 0;
    return static_cast<unsigned long long>(size.QuadPart);
}

unsigned long long GFile::GetPosition() const {
    if (!IsOpen()) return ~0ULL;
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT)) return 0;
    return static_cast<unsigned long long>(position.QuadPart);
}

SECURITY_ATTRIBUTES* GFile::GetSecurityAttributes() const {
    return m_pSecurityAttributes;
}

SECURITY_DESCRIPTOR* GFile::GetSecurityDescriptor() const {
    return m_pSecurityDescriptor;
}

void GFile::LockRange(unsigned long long position, unsigned long long count) {
    if (!IsOpen()) return;
    ::LockFile(m_hFile, static_cast<DWORD>(position), static_cast<DWORD>(position >> 32),
               static_cast<DWORD>(count), static_cast<DWORD>(count >> 32));
}

int GFile::Open(const wchar_t* name, unsigned flags) {
    try {
        Close();
        m_strFileName = name;
        m_strFilePath = FullPath(name);
        m_strFileTitle.Empty();

        DWORD access = 0;
        switch (flags & kAccessMask) {
        case 0: access = GENERIC_READ; break;
        case 1: access = GENERIC_WRITE; break;
        case 2: access = GENERIC_READ | GENERIC_WRITE; break;
        default: access = 0; break;
        }
        DWORD share = 0;
        switch (flags & kShareMask) {
        case 0x20: share = FILE_SHARE_READ; break;
        case 0x30: share = FILE_SHARE_WRITE; break;
        case 0x40: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
        default: share = 0; break;
        }
        if (m_pSecurityAttributes != nullptr)
            m_pSecurityAttributes->bInheritHandle = (flags & modeNoInherit) ? FALSE : TRUE;
        DWORD creation = OPEN_EXISTING;
        if (flags & modeCreate) creation = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        if (flags & osNoBuffer) attributes |= FILE_FLAG_NO_BUFFERING;
        if (flags & osWriteThrough) attributes |= FILE_FLAG_WRITE_THROUGH;
        if (flags & osRandomAccess) attributes |= FILE_FLAG_RANDOM_ACCESS;
        if (flags & osSequentialScan) attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
        if (flags & osDeleteOnClose) attributes |= FILE_FLAG_DELETE_ON_CLOSE;

        HANDLE handle = ::CreateFileW(name, access, share, GetSecurityAttributes(), creation,
                                      attributes, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            Close();
            return 0;
        }
        m_hFile = handle;
        m_hFileValue = static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
        m_bCloseOnDelete = 1;
        return 1;
    } catch (...) {
        return 0;
    }
}

unsigned GFile::Read(void* buffer, unsigned count) {
    if (count == 0 || !IsOpen()) return 0;
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr)) return 0;
    return read;
}

unsigned long GFile::ReadHuge(void* buffer, unsigned long count) {
    return Read(buffer, count);
}

unsigned long long GFile::Seek(unsigned long long offset, unsigned origin) {
    if (!IsOpen() || origin > 2) return kFailedSeek;
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, origin)) return 0;
    return static_cast<unsigned long long>(position.QuadPart);
}

void GFile::SeekToBegin() {
    Seek(0, begin);
}

unsigned long long GFile::SeekToEnd() {
    return Seek(0, end);
}

int GFile::SetEndOfFile(unsigned long long length) {
    Seek(length, begin);
    if (!IsOpen()) return 0;
    return ::SetEndOfFile(m_hFile) ? 1 : 0;
}

void GFile::SetFilePath(const wchar_t* text) {
    m_strFileName = text;
}

void GFile::SetLength(unsigned long long length) {
    SetEndOfFile(length);
}

void GFile::UnlockRange(unsigned long long position, unsigned long long count) {
    if (!IsOpen()) return;
    ::UnlockFile(m_hFile, static_cast<DWORD>(position), static_cast<DWORD>(position >> 32),
                 static_cast<DWORD>(count), static_cast<DWORD>(count >> 32));
}

void GFile::Write(const void* buffer, unsigned count) {
    if (count == 0 || !IsOpen()) return;
    DWORD written = 0;
    ::WriteFile(m_hFile, buffer, count, &written, nullptr);
}

void GFile::WriteHuge(const void* buffer, unsigned long count) {
    Write(buffer, count);
}

void GFile::Rename(const wchar_t* oldName, const wchar_t* newName) {
    ::MoveFileW(oldName, newName);
}

void GFile::Remove(const wchar_t* name) {
    ::DeleteFileW(name);
}
