#pragma once
// Headless host: MFC's exceptions and the binary archive CArchive.
//
// Exceptions are thrown as MFC throws them, as a pointer to a heap object:
//     try { ... } catch (CArchiveException* e) { ...; e->Delete(); }
// The catch block owns the object and releases it with Delete() (never with
// delete). AfxThrowArchiveException and AfxThrowFileException build and
// throw them.
//
// CArchive writes and reads numbers little-endian, through a buffer (4096
// bytes unless the constructor says otherwise). Reading past the end of the
// file with operator>> throws CArchiveException::endOfFile; Read() instead
// answers how many bytes it could deliver.
//
// Strings (operator<< / operator>> of CString) use MFC's length encoding:
// - Written always in the wide form: the byte FF, the 16-bit value FFFE, then
//   the length in UTF-16 code units (below 255: one byte; below 65534: FF and
//   16 bits; otherwise FF, FFFF and 32 bits), then the code units, UTF-16
//   little-endian. wchar_t is 32-bit here: characters outside the basic plane
//   become surrogate pairs and count as two units; a lone surrogate in a
//   CString is written as U+FFFD.
// - Read in both the wide form and the narrow form (the same length encoding
//   without the FF FE FF marker, then that many bytes). Narrow text comes
//   from files written by ANSI builds in the system code page; the host
//   decodes it as UTF-8 when the bytes are well-formed UTF-8, otherwise as
//   the Chinese Windows code page 936 (GBK, through the system's converter)
//   when they are valid there, and otherwise as Latin-1, which accepts every
//   byte. (Short texts can be valid in more than one of these; the order
//   above decides.) Unpaired surrogates read
//   from the wide form become U+FFFD.
// - A string is read in pieces as its bytes arrive, so a corrupt length far
//   beyond the data never makes the archive reserve memory for it: the read
//   ends with CArchiveException::endOfFile as any short file does.
#include <map>
#include <string>
#include <vector>

#include "afxobject.h"
#include "afxstr.h"
#include "windef.h"

class CFile;

class CException : public CObject {
    DECLARE_DYNAMIC(CException)

public:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
    // Releases an exception caught by pointer (when it was made on the heap).
    void Delete();
    // Copies a readable message into the buffer (cut to nMaxError - 1
    // characters); FALSE when there is none.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

protected:
    BOOL m_bAutoDelete;

    // Shared by the derived classes: copies text into the caller's buffer.
    static BOOL CopyMessage(const CString& text, LPTSTR lpszError, UINT nMaxError);
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)

public:
    enum {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
        bufferFull
    };

    explicit CArchiveException(int cause = none, LPCTSTR lpszArchiveName = nullptr)
        : m_cause(cause), m_strFileName(lpszArchiveName) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName = nullptr);

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // The file stays owned by the caller and must outlive the archive.
    // nBufSize below 128 is raised to 128; lpBuf, when given, must hold
    // nBufSize bytes and is used instead of an own buffer.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // Closes (flushing a storing archive) unless bNoFlushOnDelete was given
    // or Close/Abort ran; an error while flushing here is swallowed, because
    // a destructor cannot throw (call Close() to see it).
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsByteSwapping() const { return FALSE; }
    BOOL IsBufferEmpty() const { return m_lpBufCur == m_lpBufMax; }
    CFile* GetFile() const { return m_pFile; }
    UINT GetObjectSchema();
    void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

    // Bytes delivered (fewer at the end of the file; no exception for that).
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    // Storing: writes the buffer to the file. Loading: gives unread
    // buffered bytes back to the file by seeking.
    void Flush();
    void Close();
    // Detaches from the file without flushing.
    void Abort();

    CArchive& operator<<(bool b) { return operator<<(static_cast<BYTE>(b ? 1 : 0)); }
    CArchive& operator<<(char ch) { return operator<<(static_cast<BYTE>(ch)); }
    CArchive& operator<<(BYTE by) { storeLE<1>(by); return *this; }
    CArchive& operator<<(short w) { return operator<<(static_cast<WORD>(w)); }
    CArchive& operator<<(WORD w) { storeLE<2>(w); return *this; }
    CArchive& operator<<(int i) { return operator<<(static_cast<DWORD>(i)); }
    CArchive& operator<<(DWORD dw) { storeLE<4>(dw); return *this; }
    CArchive& operator<<(LONGLONG n) { return operator<<(static_cast<ULONGLONG>(n)); }
    CArchive& operator<<(ULONGLONG n) { storeLE<8>(n); return *this; }
    CArchive& operator<<(float f);
    CArchive& operator<<(double d);

    CArchive& operator>>(bool& b) { BYTE by; operator>>(by); b = by != 0; return *this; }
    CArchive& operator>>(char& ch) { ch = static_cast<char>(loadLE<1>()); return *this; }
    CArchive& operator>>(BYTE& by) { by = static_cast<BYTE>(loadLE<1>()); return *this; }
    CArchive& operator>>(short& w) { w = static_cast<short>(loadLE<2>()); return *this; }
    CArchive& operator>>(WORD& w) { w = static_cast<WORD>(loadLE<2>()); return *this; }
    CArchive& operator>>(int& i) { i = static_cast<int>(static_cast<DWORD>(loadLE<4>())); return *this; }
    CArchive& operator>>(DWORD& dw) { dw = static_cast<DWORD>(loadLE<4>()); return *this; }
    CArchive& operator>>(LONGLONG& n) { n = static_cast<LONGLONG>(loadLE<8>()); return *this; }
    CArchive& operator>>(ULONGLONG& n) { n = loadLE<8>(); return *this; }
    CArchive& operator>>(float& f);
    CArchive& operator>>(double& d);

    // Not MFC: reads exactly nBytes or throws CArchiveException::endOfFile.
    void EnsureRead(void* lpBuf, std::size_t nBytes);

    // Objects with their classes, in MFC's layout: the null tag 0; a new class
    // as FFFF followed by CRuntimeClass::Store; a class seen before as 8000
    // plus its number; an object seen before as its number (numbers from 1,
    // shared by classes and objects; 7FFF and 32 bits for large ones). A new
    // object follows its class and is written by its Serialize.
    // ReadObject creates objects through the registered classes; it throws
    // CArchiveException badClass (unknown class, or not derived from the one
    // requested), badSchema (other schema number) or badIndex (a reference to
    // nothing read). The caller owns (deletes) the objects it receives.
    void WriteObject(const CObject* pOb);
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    void WriteClass(const CRuntimeClass* pClassRef);
    CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                             DWORD* pObTag = nullptr);

    UINT m_nObjectSchema = static_cast<UINT>(-1);
    CString m_strFileName;

private:
    template <int N, class T>
    void storeLE(T value) {
        if (m_lpBufMax - m_lpBufCur < N || IsLoading()) FlushForStore();
        const auto v = static_cast<ULONGLONG>(value);
        for (int i = 0; i < N; ++i) m_lpBufCur[i] = static_cast<BYTE>(v >> (8 * i));
        m_lpBufCur += N;
    }
    template <int N>
    ULONGLONG loadLE() {
        if (m_lpBufMax - m_lpBufCur < N || !IsLoading()) FillBuffer(N);
        ULONGLONG v = 0;
        for (int i = 0; i < N; ++i) v |= static_cast<ULONGLONG>(m_lpBufCur[i]) << (8 * i);
        m_lpBufCur += N;
        return v;
    }
    void CheckLoading() const;
    void CheckStoring() const;
    void FlushForStore();
    // Makes at least nBytesNeeded (at most the buffer size) bytes available
    // at m_lpBufCur, or throws endOfFile.
    void FillBuffer(UINT nBytesNeeded);

    // What ReadClass/ReadObject met, by number (entry 0 is the null object).
    struct Loaded {
        CObject* object;
        CRuntimeClass* cls;
        UINT schema;
    };
    std::map<const void*, DWORD> m_storeMap;
    std::vector<Loaded> m_loadArray;
    DWORD m_nMapCount = 1;

    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_ownBuffer;
    BYTE* m_lpBufStart;
    UINT m_nBufSize;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax;
};

// MFC's string length encoding (see above). nCharSize receives 1 for the
// narrow form and 2 for the wide form. A length that no CString can hold
// throws CArchiveException::genericException, or endOfFile when the file is
// too short to hold it anyway.
void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode);
ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize);

CArchive& operator<<(CArchive& ar, const CString& str);
CArchive& operator>>(CArchive& ar, CString& str);
CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);

namespace host {
// Narrow archive text to wide, in the code page order described above.
std::wstring NarrowArchiveTextToWide(const std::string& bytes);
}  // namespace host
