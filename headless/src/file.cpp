// Headless host: CFile, CStdioFile and CFileException on the C runtime's
// descriptors (POSIX ones, or the Windows runtime's, opened in binary mode
// with wide names).
#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "afxfile.h"
#include "native.h"
#include "widetext.h"

IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

namespace {
constexpr ULONGLONG kNoBudget = ~0ULL;
std::atomic<ULONGLONG> g_writeBudget{kNoBudget};

// The descriptor calls, by platform. Names are wide on Windows and UTF-8
// elsewhere; errors are errno values on both.
namespace sys {
#if defined(_WIN32)
using Path = std::wstring;
Path nativePath(LPCTSTR name) { return name ? name : L""; }
int open(const Path& path, int flags) {
    int fd = -1;
    const errno_t err = _wsopen_s(&fd, path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (err != 0) errno = err;
    return err != 0 ? -1 : fd;
}
bool isFolder(int fd, int& err) {
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0) {
        err = errno;
        return true;
    }
    err = EISDIR;
    return (st.st_mode & _S_IFMT) == _S_IFDIR;
}
long long read(int fd, void* buf, std::size_t n) { return ::_read(fd, buf, static_cast<unsigned>(std::min<std::size_t>(n, INT_MAX))); }
long long write(int fd, const void* buf, std::size_t n) { return ::_write(fd, buf, static_cast<unsigned>(std::min<std::size_t>(n, INT_MAX))); }
long long seek(int fd, long long off, int whence) { return ::_lseeki64(fd, off, whence); }
long long length(int fd) {
    struct _stat64 st {};
    return ::_fstat64(fd, &st) == 0 ? st.st_size : -1;
}
bool truncate(int fd, long long len) {
    const errno_t err = ::_chsize_s(fd, len);
    if (err != 0) errno = err;
    return err == 0;
}
bool sync(int fd) { return ::_commit(fd) == 0; }
int close(int fd) { return ::_close(fd); }
bool unlink(const Path& path) { return ::_wunlink(path.c_str()) == 0; }
#else
using Path = std::string;
Path nativePath(LPCTSTR name) { return host::WideToUtf8(name ? name : L""); }
int open(const Path& path, int flags) { return ::open(path.c_str(), flags | O_CLOEXEC, 0666); }
bool isFolder(int fd, int& err) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        err = errno;
        return true;
    }
    err = EISDIR;
    return S_ISDIR(st.st_mode);
}
long long read(int fd, void* buf, std::size_t n) { return ::read(fd, buf, std::min<std::size_t>(n, INT_MAX)); }
long long write(int fd, const void* buf, std::size_t n) { return ::write(fd, buf, std::min<std::size_t>(n, INT_MAX)); }
long long seek(int fd, long long off, int whence) { return ::lseek(fd, static_cast<off_t>(off), whence); }
long long length(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}
bool truncate(int fd, long long len) { return ::ftruncate(fd, static_cast<off_t>(len)) == 0; }
bool sync(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }  // EINVAL: a device without sync
int close(int fd) { return ::close(fd); }
bool unlink(const Path& path) { return ::unlink(path.c_str()) == 0; }
#endif
}  // namespace sys

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
#ifdef ELOOP
        case ELOOP:
#endif
            return badPath;
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
#ifdef EDQUOT
        case EDQUOT:
#endif
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
    if (m_fd >= 0) sys::close(m_fd);
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
    const sys::Path path = sys::nativePath(lpszFileName);
    if (path.empty()) return fail(ENOENT);

    int flags = 0;
    switch (nOpenFlags & 3) {
        case modeRead: flags |= O_RDONLY; break;
        case modeWrite: flags |= O_WRONLY; break;
        case modeReadWrite: flags |= O_RDWR; break;
        default: return fail(EINVAL);
    }
    if (nOpenFlags & modeCreate) flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);

    int fd;
    do {
        fd = sys::open(path, flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(errno);
    int err = 0;
    if (sys::isFolder(fd, err)) {
        sys::close(fd);
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
        const long long got = sys::read(m_fd, out + done, nCount - done);
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
        const long long put = sys::write(m_fd, in + done, allowed - done);
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
    const long long pos = sys::seek(m_fd, lOff, whence);
    if (pos < 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
    if (m_fd < 0) ThrowOsError(EBADF);
    const long long pos = sys::seek(m_fd, 0, SEEK_CUR);
    if (pos < 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
    if (m_fd < 0) ThrowOsError(EBADF);
    const long long length = sys::length(m_fd);
    if (length < 0) ThrowOsError(errno);
    return static_cast<ULONGLONG>(length);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (m_fd < 0) ThrowOsError(EBADF);
    if (!sys::truncate(m_fd, static_cast<long long>(dwNewLen))) ThrowOsError(errno);
}

void CFile::Flush() {
    if (m_fd < 0) return;
    if (!sys::sync(m_fd)) ThrowOsError(errno);
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    // close may report a delayed write error; the descriptor is gone either way.
    if (sys::close(fd) != 0 && errno != EINTR) ThrowOsError(errno);
}

void CFile::Abort() {
    if (m_fd >= 0) sys::close(m_fd);
    m_fd = -1;
}

CString CFile::GetFileName() const {
#if defined(_WIN32)
    const int slash = std::max(m_strFileName.ReverseFind(L'/'), m_strFileName.ReverseFind(L'\\'));
#else
    const int slash = m_strFileName.ReverseFind(L'/');
#endif
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
    const int err = host::native::RenameReplacing(lpszOldName ? lpszOldName : L"", lpszNewName ? lpszNewName : L"");
    if (err != 0) AfxThrowFileException(CFileException::OsErrorToException(err), err, lpszOldName);
}

void CFile::Remove(LPCTSTR lpszFileName) {
    if (!sys::unlink(sys::nativePath(lpszFileName)))
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
