// Headless host: CException, CArchiveException and CArchive.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "afxarchive.h"
#include "afxfile.h"
#include "native.h"
#include "widetext.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

void CException::Delete() {
    if (m_bAutoDelete) delete this;
}

BOOL CException::CopyMessage(const CString& text, LPTSTR lpszError, UINT nMaxError) {
    if (!lpszError || nMaxError == 0) return FALSE;
    const UINT n = std::min<UINT>(static_cast<UINT>(text.GetLength()), nMaxError - 1);
    std::wmemcpy(lpszError, text.GetString(), n);
    lpszError[n] = L'\0';
    return TRUE;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError > 0) lpszError[0] = L'\0';
    return FALSE;
}

BOOL CArchiveException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    static const wchar_t* const kCauses[] = {
        L"no error",           L"unexpected error", L"tried to write to an archive opened for loading",
        L"reached the end of the file while reading", L"tried to read from an archive opened for storing",
        L"invalid data in the file", L"unexpected class in the file", L"unknown version of a class in the file",
        L"buffer full"};
    const wchar_t* cause = (m_cause >= 0 && m_cause <= bufferFull) ? kCauses[m_cause] : kCauses[genericException];
    CString text;
    if (m_strFileName.IsEmpty())
        text.Format(L"Archive error: %s.", cause);
    else
        text.Format(L"Archive error in %s: %s.", m_strFileName.GetString(), cause);
    return CopyMessage(text, lpszError, nMaxError);
}

void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}

// ---------------------------------------------------------------------------
// CArchive

namespace {
constexpr UINT kMinBufferSize = 128;
}

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode) {
    m_nBufSize = static_cast<UINT>(std::max<int>(nBufSize, static_cast<int>(kMinBufferSize)));
    if (lpBuf && nBufSize >= static_cast<int>(kMinBufferSize)) {
        m_lpBufStart = static_cast<BYTE*>(lpBuf);
    } else {
        m_ownBuffer.resize(m_nBufSize);
        m_lpBufStart = m_ownBuffer.data();
    }
    m_lpBufCur = m_lpBufStart;
    // A storing archive fills up to the end; a loading one holds nothing yet.
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
    if (pFile) m_strFileName = pFile->GetFilePath();
}

CArchive::~CArchive() {
    if (!m_pFile || (m_nMode & bNoFlushOnDelete)) return;
    try {
        Close();
    } catch (CException* e) {
        e->Delete();
        m_pFile = nullptr;
    }
}

UINT CArchive::GetObjectSchema() {
    const UINT schema = m_nObjectSchema;
    m_nObjectSchema = static_cast<UINT>(-1);  // valid for one read only, as in MFC
    return schema;
}

void CArchive::CheckLoading() const {
    if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    if (!IsLoading()) AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::CheckStoring() const {
    if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

void CArchive::FlushForStore() {
    CheckStoring();
    const auto used = static_cast<UINT>(m_lpBufCur - m_lpBufStart);
    // Reset first: should the file throw, the bytes are not written twice.
    m_lpBufCur = m_lpBufStart;
    if (used) m_pFile->Write(m_lpBufStart, used);
}

void CArchive::FillBuffer(UINT nBytesNeeded) {
    CheckLoading();
    nBytesNeeded = std::min(nBytesNeeded, m_nBufSize);
    auto left = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (left && m_lpBufCur != m_lpBufStart) std::memmove(m_lpBufStart, m_lpBufCur, left);
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = m_lpBufStart + left;
    while (left < nBytesNeeded) {
        const UINT got = m_pFile->Read(m_lpBufStart + left, m_nBufSize - left);
        if (got == 0) break;
        left += got;
        m_lpBufMax += got;
    }
    if (left < nBytesNeeded) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    CheckLoading();
    auto* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        if (m_lpBufCur == m_lpBufMax) {
            const UINT rest = nMax - done;
            if (rest >= m_nBufSize) {  // large reads bypass the buffer
                const UINT got = m_pFile->Read(out + done, rest);
                if (got == 0) break;
                done += got;
                continue;
            }
            m_lpBufCur = m_lpBufMax = m_lpBufStart;
            const UINT got = m_pFile->Read(m_lpBufStart, m_nBufSize);
            if (got == 0) break;
            m_lpBufMax += got;
        }
        const UINT n = std::min<UINT>(nMax - done, static_cast<UINT>(m_lpBufMax - m_lpBufCur));
        std::memcpy(out + done, m_lpBufCur, n);
        m_lpBufCur += n;
        done += n;
    }
    return done;
}

void CArchive::EnsureRead(void* lpBuf, std::size_t nBytes) {
    auto* out = static_cast<BYTE*>(lpBuf);
    while (nBytes > 0) {
        const UINT piece = static_cast<UINT>(std::min<std::size_t>(nBytes, UINT_MAX));
        const UINT got = Read(out, piece);
        if (got < piece) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
        out += got;
        nBytes -= got;
    }
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
    CheckStoring();
    const auto* in = static_cast<const BYTE*>(lpBuf);
    while (nMax > 0) {
        const auto room = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        if (room == 0) {
            FlushForStore();
            if (nMax >= m_nBufSize) {  // large writes bypass the buffer
                m_pFile->Write(in, nMax);
                return;
            }
            continue;
        }
        const UINT n = std::min(room, nMax);
        std::memcpy(m_lpBufCur, in, n);
        m_lpBufCur += n;
        in += n;
        nMax -= n;
    }
}

void CArchive::Flush() {
    if (!m_pFile) return;
    if (IsStoring()) {
        FlushForStore();
    } else if (m_lpBufMax != m_lpBufCur) {
        const auto unread = static_cast<LONGLONG>(m_lpBufMax - m_lpBufCur);
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
        m_pFile->Seek(-unread, CFile::current);
    }
}

void CArchive::Close() {
    if (!m_pFile) return;
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort() { m_pFile = nullptr; }

CArchive& CArchive::operator<<(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return operator<<(bits);
}

CArchive& CArchive::operator<<(double d) {
    ULONGLONG bits;
    std::memcpy(&bits, &d, sizeof bits);
    return operator<<(bits);
}

CArchive& CArchive::operator>>(float& f) {
    const auto bits = static_cast<DWORD>(loadLE<4>());
    std::memcpy(&f, &bits, sizeof f);
    return *this;
}

CArchive& CArchive::operator>>(double& d) {
    const ULONGLONG bits = loadLE<8>();
    std::memcpy(&d, &bits, sizeof d);
    return *this;
}

// ---------------------------------------------------------------------------
// Strings

namespace {
constexpr BYTE kLengthEscape = 0xFF;
constexpr WORD kUnicodeMarker = 0xFFFE;
constexpr WORD kLength32 = 0xFFFF;
constexpr DWORD kLength64 = 0xFFFFFFFF;
// Text is read in pieces of this many bytes, so memory follows the data
// that actually arrives rather than the length the file claims.
constexpr std::size_t kStringPiece = 64 * 1024;

// Bytes the archive's file holds past its position (the archive may have a
// little more in its buffer).
ULONGLONG bytesLeft(CArchive& ar) {
    CFile* file = ar.GetFile();
    if (!file) return 0;
    const ULONGLONG length = file->GetLength();
    const ULONGLONG position = file->GetPosition();
    return length > position ? length - position : 0;
}

std::string readBytes(CArchive& ar, std::size_t count) {
    std::string bytes;
    while (bytes.size() < count) {
        const std::size_t piece = std::min(kStringPiece, count - bytes.size());
        const std::size_t old = bytes.size();
        bytes.resize(old + piece);
        ar.EnsureRead(&bytes[old], piece);
    }
    return bytes;
}

}  // namespace

namespace host {
std::wstring NarrowArchiveTextToWide(const std::string& bytes) {
    if (IsValidUtf8(bytes)) return Utf8ToWide(bytes);
    std::wstring wide;
    if (native::CodePageToWide(936, bytes.data(), bytes.size(), wide)) return wide;
    return Latin1ToWide(bytes);
}
}  // namespace host

void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode) {
    if (bUnicode) ar << kLengthEscape << kUnicodeMarker;
    if (nLength < kLengthEscape) {
        ar << static_cast<BYTE>(nLength);
    } else if (nLength < kUnicodeMarker) {
        ar << kLengthEscape << static_cast<WORD>(nLength);
    } else if (nLength < kLength64) {
        ar << kLengthEscape << kLength32 << static_cast<DWORD>(nLength);
    } else {
        ar << kLengthEscape << kLength32 << kLength64 << nLength;
    }
}

ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize) {
    nCharSize = 1;
    BYTE byLength;
    ar >> byLength;
    if (byLength < kLengthEscape) return byLength;
    WORD wLength;
    ar >> wLength;
    if (wLength == kUnicodeMarker) {
        nCharSize = 2;
        ar >> byLength;
        if (byLength < kLengthEscape) return byLength;
        ar >> wLength;
    }
    if (wLength < kLength32) return wLength;
    DWORD dwLength;
    ar >> dwLength;
    if (dwLength < kLength64) return dwLength;
    ULONGLONG qwLength;
    ar >> qwLength;
    if (qwLength > static_cast<ULONGLONG>(INT_MAX)) {
        // No CString holds it; a file too short for it just ended early.
        const ULONGLONG needed = qwLength > ULLONG_MAX / 2 ? ULLONG_MAX : qwLength * static_cast<ULONGLONG>(nCharSize);
        if (bytesLeft(ar) < needed) AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    }
    return qwLength;
}

CArchive& operator<<(CArchive& ar, const CString& str) {
    const std::u16string units = host::WideToUtf16(str.str());
    AfxWriteStringLength(ar, units.size(), TRUE);
    std::string bytes(units.size() * 2, '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    if (!bytes.empty()) ar.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return ar;
}

CArchive& operator>>(CArchive& ar, CString& str) {
    int charSize = 1;
    const ULONGLONG length = AfxReadStringLength(ar, charSize);
    const std::string bytes = readBytes(ar, static_cast<std::size_t>(length) * static_cast<std::size_t>(charSize));
    if (charSize == 1) {
        str = CString(host::NarrowArchiveTextToWide(bytes));
        return ar;
    }
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | (static_cast<BYTE>(bytes[2 * i + 1]) << 8));
    str = CString(host::Utf16ToWide(units));
    return ar;
}

// ---------------------------------------------------------------------------
// Objects and classes

namespace {
constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr std::size_t kMaxClassName = 64;
}  // namespace

void CRuntimeClass::Store(CArchive& ar) const {
    const auto length = static_cast<WORD>(std::strlen(m_lpszClassName));
    ar << static_cast<WORD>(m_wSchema) << length;
    ar.Write(m_lpszClassName, length);
}

CRuntimeClass* CRuntimeClass::Load(CArchive& ar, UINT* pwSchemaNum) {
    WORD schema = 0, length = 0;
    ar >> schema >> length;
    if (pwSchemaNum) *pwSchemaNum = schema;
    if (length >= kMaxClassName) return nullptr;
    char name[kMaxClassName] = {};
    ar.EnsureRead(name, length);
    return FromName(name);
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
    CheckStoring();
    if (!pClassRef || pClassRef->m_wSchema == 0xFFFF) AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    const auto known = m_storeMap.find(pClassRef);
    if (known != m_storeMap.end()) {
        if (known->second < kBigObjectTag)
            *this << static_cast<WORD>(kClassTag | known->second);
        else
            *this << kBigObjectTag << static_cast<DWORD>(kBigClassTag | known->second);
        return;
    }
    *this << kNewClassTag;
    pClassRef->Store(*this);
    if (m_nMapCount > kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    m_storeMap[pClassRef] = m_nMapCount++;
}

void CArchive::WriteObject(const CObject* pOb) {
    CheckStoring();
    if (!pOb) {
        *this << kNullTag;
        return;
    }
    const auto known = m_storeMap.find(pOb);
    if (known != m_storeMap.end()) {
        if (known->second < kBigObjectTag)
            *this << static_cast<WORD>(known->second);
        else
            *this << kBigObjectTag << known->second;
        return;
    }
    WriteClass(pOb->GetRuntimeClass());
    if (m_nMapCount > kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    m_storeMap[pOb] = m_nMapCount++;
    const_cast<CObject*>(pOb)->Serialize(*this);
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
    CheckLoading();
    if (m_loadArray.empty()) m_loadArray.push_back({nullptr, nullptr, 0});
    WORD tag = 0;
    *this >> tag;
    DWORD obTag = 0;
    if (tag == kBigObjectTag)
        *this >> obTag;
    else
        obTag = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    if (!(obTag & kBigClassTag)) {  // an object reference (or null), no class
        if (!pObTag) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        *pObTag = obTag;
        return nullptr;
    }
    CRuntimeClass* cls = nullptr;
    UINT schema = 0;
    if (tag == kNewClassTag) {
        cls = CRuntimeClass::Load(*this, &schema);
        if (!cls) AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        if (cls->m_wSchema != schema) AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
        if (m_loadArray.size() > kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        m_loadArray.push_back({nullptr, cls, schema});
    } else {
        const DWORD index = obTag & ~kBigClassTag;
        if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].cls || m_loadArray[index].object)
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        cls = m_loadArray[index].cls;
        schema = m_loadArray[index].schema;
    }
    if (pClassRefRequested && !cls->IsDerivedFrom(pClassRefRequested))
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    if (pSchema) *pSchema = schema;
    return cls;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
    UINT schema = 0;
    DWORD obTag = 0;
    CRuntimeClass* cls = ReadClass(pClassRefRequested, &schema, &obTag);
    if (!cls) {
        if (obTag >= m_loadArray.size() || (obTag != 0 && !m_loadArray[obTag].object))
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        CObject* seen = m_loadArray[obTag].object;
        if (seen && pClassRefRequested && !seen->IsKindOf(pClassRefRequested))
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        return seen;
    }
    CObject* object = cls->CreateObject();
    if (!object) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    const std::size_t slot = m_loadArray.size();
    m_loadArray.push_back({object, cls, schema});
    const UINT savedSchema = m_nObjectSchema;
    m_nObjectSchema = schema;
    try {
        object->Serialize(*this);
    } catch (...) {
        // Nobody receives the half-read object: it goes, and so does its number.
        m_loadArray[slot].object = nullptr;
        delete object;
        throw;
    }
    m_nObjectSchema = savedSchema;
    return object;
}

CObject* HostReadObject(CArchive& ar, const CRuntimeClass* pClassRefRequested) {
    return ar.ReadObject(pClassRefRequested);
}

CArchive& operator<<(CArchive& ar, const CObject* pOb) {
    ar.WriteObject(pOb);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb) {
    pOb = ar.ReadObject(nullptr);
    return ar;
}
