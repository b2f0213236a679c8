#pragma once
// CDataNode: one typed value (integer, real or text) under a 16-bit index.
//
// Type codes: 1 = integer (m_nValue), 2 = real (m_dValue), 4 = text
// (m_strValue); 0 means not initialised. All three value members always
// exist; the type only says which one is meaningful.
//
// The combined index puts the index in the low 16 bits and the type code in
// the next 16 bits: MakeIndex() answers it, and the index constructor and
// Initialize() take it. Only combined indices with type 1, 2 or 4 (and no
// bits above the 32nd) are accepted.
//
// Record written by Serialize, little-endian: index (2 bytes), type (2
// bytes), then by type: 1 a 32-bit signed integer, 2 an 8-byte IEEE double,
// anything else (4, and also 0 or an unknown code) the text as an archive
// string in the wide form (see the host's afxarchive.h).
#include "drovik/frame/export.h"
#include "drovik/host/files.h"
#include "drovik/host/mfc.h"

class DROVIK_API CDataNode : public CObject {
    DECLARE_SERIAL(CDataNode)

public:
    enum : unsigned short { typeNone = 0, typeInt = 1, typeDouble = 2, typeString = 4 };

    // Index 0, type 0, values 0, 0.0 and the empty text.
    CDataNode();
    // As the default, then index and type from dwIndex when its type is
    // usable; otherwise index and type stay 0.
    CDataNode(unsigned long dwIndex);  // NOLINT: implicit as in the original interface
    CDataNode(const CDataNode& other);
    CDataNode& operator=(const CDataNode& other);
    ~CDataNode() override;

    // Sets index and type from a combined index: 1 when its type is 1, 2 or
    // 4, otherwise 0 with nothing changed. The values are not touched.
    int Initialize(unsigned long dwIndex);
    unsigned long MakeIndex() const;
    unsigned short GetIndex() const { return m_Index; }
    unsigned short GetType() const { return m_Type; }

    // Setters and getters reach the member of their own kind, whatever the type.
    void SetValue(int nValue) { m_nValue = nValue; }
    void SetValue(double dValue) { m_dValue = dValue; }
    void SetValue(CString strValue) { m_strValue = strValue; }
    void GetValue(int& nValue) const { nValue = m_nValue; }
    void GetValue(double& dValue) const { dValue = m_dValue; }
    void GetValue(CString& strValue) const { strValue = m_strValue; }
    int GetInt() const { return m_nValue; }
    double GetDouble() const { return m_dValue; }
    CString GetString() const { return m_strValue; }

    // Sets the value of the node's type from text: _wtoi for integers, _wtof
    // for reals, the text itself for texts. 1 when the type is 1, 2 or 4;
    // 0 (nothing changed) for any other type.
    int VagueSetValue(CString strValue);
    // The value as text: "%d", "%.3f" or the text; empty for other types.
    CString Format() const;
    // "m_Index = <i>, m_Type = <t>\nValue = <int>, <real %.3f>, <text>".
    CString DebugFormat() const;

    // Stores the record into a storing archive, or loads index, type and the
    // value chosen by the loaded type (the other values keep theirs). A short
    // archive throws CArchiveException* (endOfFile), which passes through.
    void Serialize(CArchive& ar) override;

    unsigned short m_Index;
    unsigned short m_Type;
    int m_nValue;
    double m_dValue;
    CString m_strValue;
};
