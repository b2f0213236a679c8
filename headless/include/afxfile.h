#pragma once
// Headless host: MFC's files CFile and CStdioFile and CFileException.
//
// CFile is a binary file on a POSIX descriptor. As in MFC:
// - Open answers FALSE (and fills the optional CFileException) when the file
//   cannot be opened; the constructor that takes a name throws instead.
// - Read, Write, Seek, Flush and Close throw a CFileException* on failure;
//   Read answers fewer bytes (0 at the end) when the file ends.
// - modeRead / modeWrite / modeReadWrite choose the access; modeCreate creates
//   the file or empties it, unless modeNoTruncate is also given. Without
//   modeCreate the file must exist. A folder is never opened as a file.
// - Flush forces the data to the storage device (fsync), as MFC's Flush does
//   through FlushFileBuffers.
// - The destructor closes an open file and ignores errors.
// Host choices: names are wide text converted to UTF-8 for the file system;
// '/' separates folders. Rename replaces an existing destination atomically
// (POSIX rename), so a reader sees either the old or the new file.
//
// CStdioFile adds text lines. WriteString writes the text as UTF-8 exactly
// as given ("\n" stays LF, nothing is added); ReadString reads one line of
// UTF-8 text, dropping the line end (LF or CR LF). Both are buffered.
//
// Test hook (not MFC): host::SetFileWriteBudget(n) makes the whole process
// behave as if the disk filled up after n more bytes written through CFile:
// the write that crosses the budget writes what fits and then throws
// CFileException::diskFull, and every later write throws too, until
// host::ClearFileWriteBudget() lifts the limit. Tests use it to break a
// write half-way at a chosen byte.
#include "afxarchive.h"
#include "afxobject.h"
#include "afxstr.h"
#include "windef.h"

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)

public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    // The cause that belongs to an operating-system error code (errno here).
    static int OsErrorToException(LONG lOsError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)

public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    CFile() = default;
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);  // throws CFileException*
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    virtual void Abort();

    BOOL IsOpen() const { return m_fd >= 0; }
    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;

    static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);  // throws CFileException*
    static void Remove(LPCTSTR lpszFileName);                      // throws CFileException*

protected:
    [[noreturn]] void ThrowOsError(int osError) const;

    int m_fd = -1;
    CString m_strFileName;
};

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)

public:
    CStdioFile() = default;
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile(lpszFileName, nOpenFlags) {}
    ~CStdioFile() override;

    virtual void WriteString(LPCTSTR lpsz);
    // FALSE at the end of the file (no characters left).
    virtual BOOL ReadString(CString& rString);

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    void Flush() override;
    void Close() override;
    void Abort() override;

private:
    // Writes pending output and gives unread input back, so the descriptor's
    // position is the logical one.
    void Sync();

    std::string m_out;  // written, not yet on the descriptor
    std::string m_in;   // read from the descriptor, not yet delivered
    std::size_t m_inPos = 0;
};

namespace host {
void SetFileWriteBudget(ULONGLONG nBytes);
void ClearFileWriteBudget();
}  // namespace host
