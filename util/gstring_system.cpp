// GString: formatting, system strings, environment variables and the
// buffer handed out by GetBuffer.
#include <windows.h>

#include <oleauto.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "util/gstring.h"
#include "util/gstring_detail.h"

using namespace gstring_detail;

// Formats with the system runtime's wide printf, under which %s takes a wide
// string. A format that the runtime rejects leaves the string empty.
void GString::Format(const wchar_t* format, ...) {
    if (format == nullptr) {
        m_text.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    int n = _vscwprintf(format, counting);
    va_end(counting);
    if (n < 0) {
        va_end(args);
        m_text.clear();
        return;
    }
    if (n > MaxLength) {
        va_end(args);
        ThrowTooLong();
    }
    std::wstring block(static_cast<std::size_t>(n) + 1, L'\0');
    _vsnwprintf(&block[0], block.size(), format, args);
    va_end(args);
    block[static_cast<std::size_t>(n)] = 0;
    Assign(std::wstring(block.c_str()));
}

wchar_t* GString::AllocSysString(unsigned long) const {
    return ::SysAllocStringLen(m_text.c_str(), static_cast<UINT>(m_text.size()));
}

// A null pointer to a system string changes nothing and gives null.
wchar_t* GString::SetSysString(wchar_t** sysString, unsigned long) const {
    if (sysString == nullptr) return nullptr;
    ::SysReAllocStringLen(sysString, m_text.c_str(), static_cast<UINT>(m_text.size()));
    return *sysString;
}

int GString::GetEnvironmentVariableW(const wchar_t* name) {
    const DWORD firstSize = 4096;
    std::wstring buffer(firstSize, L'\0');
    DWORD reported = ::GetEnvironmentVariableW(name, &buffer[0], firstSize - 1);
    if (reported < firstSize) {
        buffer.resize(reported);
    } else {
        // The value did not fit: read again with room for twice its length.
        // Should it have grown in between, the units that fit are taken.
        std::wstring larger(2 * static_cast<std::size_t>(reported), L'\0');
        DWORD capacity = 2 * reported - 1;
        reported = ::GetEnvironmentVariableW(name, &larger[0], capacity);
        larger.resize(reported < capacity ? reported : 0);
        buffer.swap(larger);
    }
    Assign(std::wstring(buffer.c_str()));
    return reported != 0 ? 1 : 0;
}

void GString::FreeScratch() {
    if (m_scratch != nullptr) {
        std::free(HeaderOf(m_scratch));
        m_scratch = nullptr;
    }
}

// The block carries its unit count before the units, so that ReleaseBuffer
// never reads past its end. A negative size counts as 0.
wchar_t* GString::GetBuffer(int size) {
    FreeScratch();
    if (size < 0) size = 0;
    std::size_t units = static_cast<std::size_t>(size) + 1;
    void* block = std::calloc(1, sizeof(ScratchHeader) + units * sizeof(wchar_t));
    if (block == nullptr) throw std::bad_alloc();
    ScratchHeader* header = static_cast<ScratchHeader*>(block);
    header->units = units;
    m_scratch = ScratchUnits(header);
    std::size_t copied = static_cast<std::size_t>(size) < m_text.size() ? size : m_text.size();
    std::memcpy(m_scratch, m_text.data(), copied * sizeof(wchar_t));
    return m_scratch;
}

wchar_t* GString::GetBuffer() {
    return GetBuffer(GetLength());
}

// A count beyond the size asked of GetBuffer takes that size.
void GString::ReleaseBuffer(int count) {
    if (m_scratch == nullptr) return;
    try {
        std::size_t units = HeaderOf(m_scratch)->units;
        if (count < 0) {
            std::size_t n = 0;
            while (n < units && m_scratch[n] != 0) ++n;
            m_text.assign(m_scratch, n);
        } else {
            std::size_t n = static_cast<std::size_t>(count);
            m_text.assign(m_scratch, n < units - 1 ? n : units - 1);
        }
    } catch (...) {
    }
    FreeScratch();
}
