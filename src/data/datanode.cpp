// CDataNode: a typed value under an index, and its archive record.
#include "drovik/data/datanode.h"

#include "data/registration.h"

IMPLEMENT_SERIAL(CDataNode, CObject, 1)

namespace {
constexpr unsigned kIndexBits = 16;
constexpr unsigned long kIndexMask = 0xFFFF;

bool IsUsableType(unsigned long type) {
    return type == CDataNode::typeInt || type == CDataNode::typeDouble || type == CDataNode::typeString;
}
}  // namespace

void RegisterDataNodeClass() { AfxClassInit(RUNTIME_CLASS(CDataNode)); }
void UnregisterDataNodeClass() { AfxClassTerm(RUNTIME_CLASS(CDataNode)); }

CDataNode::CDataNode() : m_Index(0), m_Type(typeNone), m_nValue(0), m_dValue(0.0) {}

CDataNode::CDataNode(unsigned long dwIndex) : CDataNode() { Initialize(dwIndex); }

CDataNode::CDataNode(const CDataNode& other)
    : CObject(),
      m_Index(other.m_Index),
      m_Type(other.m_Type),
      m_nValue(other.m_nValue),
      m_dValue(other.m_dValue),
      m_strValue(other.m_strValue) {}

CDataNode& CDataNode::operator=(const CDataNode& other) {
    if (this != &other) {
        m_Index = other.m_Index;
        m_Type = other.m_Type;
        m_nValue = other.m_nValue;
        m_dValue = other.m_dValue;
        m_strValue = other.m_strValue;
    }
    return *this;
}

CDataNode::~CDataNode() = default;

int CDataNode::Initialize(unsigned long dwIndex) {
    // unsigned long is wider than 32 bits here: bits above the type make the
    // type unusable rather than being cut off.
    const unsigned long type = dwIndex >> kIndexBits;
    if (!IsUsableType(type)) return 0;
    m_Index = static_cast<unsigned short>(dwIndex & kIndexMask);
    m_Type = static_cast<unsigned short>(type);
    return 1;
}

unsigned long CDataNode::MakeIndex() const {
    return (static_cast<unsigned long>(m_Type) << kIndexBits) | m_Index;
}

int CDataNode::VagueSetValue(CString strValue) {
    switch (m_Type) {
        case typeInt: m_nValue = _wtoi(strValue); return 1;
        case typeDouble: m_dValue = _wtof(strValue); return 1;
        case typeString: m_strValue = strValue; return 1;
        default: return 0;
    }
}

CString CDataNode::Format() const {
    CString text;
    switch (m_Type) {
        case typeInt: text.Format(L"%d", m_nValue); break;
        case typeDouble: text.Format(L"%.3f", m_dValue); break;
        case typeString: text = m_strValue; break;
        default: break;
    }
    return text;
}

CString CDataNode::DebugFormat() const {
    CString text;
    text.Format(L"m_Index = %d, m_Type = %d\nValue = %d, %.3f, %s", m_Index, m_Type, m_nValue, m_dValue,
                m_strValue.GetString());
    return text;
}

void CDataNode::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_Index << m_Type;
        switch (m_Type) {
            case typeInt: ar << m_nValue; break;
            case typeDouble: ar << m_dValue; break;
            default: ar << m_strValue; break;
        }
    } else {
        ar >> m_Index >> m_Type;
        switch (m_Type) {
            case typeInt: ar >> m_nValue; break;
            case typeDouble: ar >> m_dValue; break;
            default: ar >> m_strValue; break;
        }
    }
}
