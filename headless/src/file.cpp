// Headless host: CFile, CStdioFile and CFileException on POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "afxfile.h"
#include "widetext.h"

IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

namespace {
constexpr ULONGLONG kNoBudget = ~0ULL;
std::atomic<ULONGLONG> g_writeBudget{kNoBudget};

std::string nativePath(LPCTSTR name) { return host::WideToUtf8(name ? name : L""); }

// How many of nCount bytes the write budget lets through.
std::size_t takeBudget(std::size_t nCount) {
    ULONGLONG budget = g_writeBudget.load();
    while (budget != kNoBudget) {
        const ULONGLONG granted = std::min<ULONGLONG>(budget, nCount);
        if (g_writeBudget.compare_exchange_weak(budget, budget - granted)) return static_cast<std::size_t>(granted);
    }
    return nCount;
}
}  // namespace

namespace host {
void SetFileWriteBudget(ULONGLONG nBytes) { g_writeBudget = nBytes == kNoBudget ? kNoBudget - 1 : nBytes; }
void ClearFileWriteBudget() { g_writeBudget = kNoBudget; }
}  // namespace host

// ---------------------------------------------------------------------------
// CFileException

int CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
        case 0: return none;
        case ENOENT: return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return badPath;
        case EMFILE:
        case ENFILE: return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EEXIST: return accessDenied;
        case EBADF: return invalidFile;
        case EBUSY: return sharingViolation;
        case ESPIPE:
        case EINVAL: return badSeek;
        case EIO: return hardIO;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return diskFull;
        default: return genericException;
    }
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    static const wchar_t* const kCauses[] = {
        L"no error",         L"unexpected error", L"file not found",      L"bad path",
        L"too many open files", L"access denied", L"invalid file",        L"cannot remove the current folder",
        L"folder full",      L"seek failed",      L"hardware I/O error",  L"sharing violation",
        L"lock violation",   L"disk full",        L"end of file"};
    const wchar_t* cause = (m_cause >= 0 && m_cause <= endOfFile) ? kCauses[m_cause] : kCauses[genericException];
    CString text;
    if (m_strFileName.IsEmpty())
        text.Format(L"File error: %s.", cause);
    else
        text.Format(L"File error in %s: %s.", m_strFileName.GetString(), cause);
    return CopyMessage(text, lpszError, nMaxError);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}

// ---------------------------------------------------------------------------
// CFile

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile() {
    if (m_fd >= 0) ::close(m_fd);
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_fd >= 0) Abort();
    m_strFileName = lpszFileName;
    auto fail = [&](int osError) {
        if (pError) {
            pError->m_cause = CFileException::OsErrorToException(osError);
            pError->m_lOsError = osError;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    };
    const std::string path = nativePath(lpszFileName);
    if (path.empty()) return fail(ENOENT);

    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
        case modeRead: flags |= O_RDONLY; break;
        case modeWrite: flags |= O_WRONLY; break;
        case modeReadWrite: flags |= O_RDWR; break;
        default: return fail(EINVAL);
    }
    if (nOpenFlags & modeCreate) flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);

    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(err);
    }
    m_fd = fd;
    return TRUE;
}

void CFile::ThrowOsError(int osError) const {
    AfxThrowFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (m_fd < 0) ThrowOsError(EBADF);
    auto* out = static_cast<char*>(lpBuf);
    UINT done = 0;
    while (done < nCount) {
        const ssize_t got = ::read(m_fd, out + done, std::min<std::size_t>(nCount - done, INT_MAX));
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        if (got == 0) break;
        done += static_cast<UINT>(got);
    }
    return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (m_fd < 0) ThrowOsError(EBADF);
    const auto* in = static_cast<const char*>(lpBuf);
    const std::size_t allowed = takeBudget(nCount);
    std::size_t done = 0;
    while (done < allowed) {
        const ssize_t put = ::write(m_fd, in + done, std::min<std::size_t>(allowed - done, INT_MAX));
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        done += static_cast<std::size_t>(put);
    }
    if (allowed < nCount) ThrowOsError(ENOSPC);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (m_fd < 0) ThrowOsError(EBADF);
    const int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : -1;
    if (whence < 0) ThrowOsError(EINVAL);
    const off_t pos = ::lseek(m_fd, static_cast<off_t>(lOff), whence);
    if (pos < 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
    if (m_fd < 0) ThrowOsError(EBADF);
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
    if (m_fd < 0) ThrowOsError(EBADF);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (m_fd < 0) ThrowOsError(EBADF);
    if (::ftruncate(m_fd, static_cast<off_t>(dwNewLen)) != 0) ThrowOsError(errno);
}

void CFile::Flush() {
    if (m_fd < 0) return;
    if (::fsync(m_fd) != 0 && errno != EINVAL) ThrowOsError(errno);  // EINVAL: a device without sync
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    // close may report a delayed write error; the descriptor is gone either way.
    if (::close(fd) != 0 && errno != EINTR) ThrowOsError(errno);
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

CString CFile::GetFileName() const {
    const int slash = m_strFileName.ReverseFind(L'/');
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
    if (::rename(nativePath(lpszOldName).c_str(), nativePath(lpszNewName).c_str()) != 0)
        AfxThrowFileException(CFileException::OsErrorToException(errno), errno, lpszOldName);
}

void CFile::Remove(LPCTSTR lpszFileName) {
    if (::unlink(nativePath(lpszFileName).c_str()) != 0)
        AfxThrowFileException(CFileException::OsErrorToException(errno), errno, lpszFileName);
}

// ---------------------------------------------------------------------------
// CStdioFile

namespace {
constexpr std::size_t kTextBuffer = 4096;
}

CStdioFile::~CStdioFile() {
    try {
        Sync();
    } catch (CException* e) {
        e->Delete();
    }
}

void CStdioFile::Sync() {
    if (m_fd < 0) {
        m_out.clear();
        m_in.clear();
        m_inPos = 0;
        return;
    }
    if (!m_out.empty()) {
        std::string pending;
        pending.swap(m_out);
        CFile::Write(pending.data(), static_cast<UINT>(pending.size()));
    }
    if (m_inPos < m_in.size()) CFile::Seek(-static_cast<LONGLONG>(m_in.size() - m_inPos), current);
    m_in.clear();
    m_inPos = 0;
}

void CStdioFile::WriteString(LPCTSTR lpsz) {
    if (m_fd < 0) ThrowOsError(EBADF);
    if (m_inPos < m_in.size() || !m_in.empty()) Sync();
    m_out += host::WideToUtf8(lpsz ? lpsz : L"");
    if (m_out.size() >= kTextBuffer) Sync();
}

BOOL CStdioFile::ReadString(CString& rString) {
    if (m_fd < 0) ThrowOsError(EBADF);
    if (!m_out.empty()) Sync();
    std::string line;
    bool any = false;
    for (;;) {
        if (m_inPos == m_in.size()) {
            m_in.resize(kTextBuffer);
            m_in.resize(CFile::Read(&m_in[0], static_cast<UINT>(kTextBuffer)));
            m_inPos = 0;
            if (m_in.empty()) break;
        }
        any = true;
        const std::size_t nl = m_in.find('\n', m_inPos);
        if (nl == std::string::npos) {
            line.append(m_in, m_inPos, std::string::npos);
            m_inPos = m_in.size();
            continue;
        }
        line.append(m_in, m_inPos, nl - m_inPos);
        m_inPos = nl + 1;
        break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rString = CString(host::Utf8ToWide(line));
    return any ? TRUE : FALSE;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
    if (!m_out.empty()) Sync();
    auto* out = static_cast<char*>(lpBuf);
    const std::size_t buffered = std::min<std::size_t>(nCount, m_in.size() - m_inPos);
    if (buffered) std::memcpy(out, m_in.data() + m_inPos, buffered);
    m_inPos += buffered;
    return static_cast<UINT>(buffered) + CFile::Read(out + buffered, nCount - static_cast<UINT>(buffered));
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    Sync();
    CFile::Write(lpBuf, nCount);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
    Sync();
    return CFile::Seek(lOff, nFrom);
}

ULONGLONG CStdioFile::GetPosition() const {
    return CFile::GetPosition() + m_out.size() - (m_in.size() - m_inPos);
}

ULONGLONG CStdioFile::GetLength() const {
    const ULONGLONG onDisk = CFile::GetLength();
    const ULONGLONG end = CFile::GetPosition() + m_out.size();
    return std::max(onDisk, end);
}

void CStdioFile::SetLength(ULONGLONG dwNewLen) {
    Sync();
    CFile::SetLength(dwNewLen);
}

void CStdioFile::Flush() {
    Sync();
    CFile::Flush();
}

void CStdioFile::Close() {
    try {
        Sync();
    } catch (...) {
        CFile::Abort();
        m_out.clear();
        throw;
    }
    CFile::Close();
}

void CStdioFile::Abort() {
    m_out.clear();
    m_in.clear();
    m_inPos = 0;
    CFile::Abort();
}
