// Extended records: a copied list of result buffers.
#include "../dbinternal.h"
#include "dbxrecrd.h"

ACRX_DEFINE_MEMBERS(AcDbXrecord, AcDbObject)

AcDbXrecord::AcDbXrecord(const AcDbXrecord& other)
    : AcDbObject(other), m_data(host::CopyRbList(other.m_data)), m_xlate(other.m_xlate),
      m_mergeStyle(other.m_mergeStyle) {}

AcDbXrecord& AcDbXrecord::operator=(const AcDbXrecord& other) {
    if (this == &other) return *this;
    AcDbObject::operator=(other);
    resbuf* copy = host::CopyRbList(other.m_data);
    acutRelRb(m_data);
    m_data = copy;
    m_xlate = other.m_xlate;
    m_mergeStyle = other.m_mergeStyle;
    return *this;
}

AcDbXrecord::~AcDbXrecord() { acutRelRb(m_data); }

Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** ppRb, AcDbDatabase*) const {
    if (!ppRb) return Acad::eNullObjectPointer;
    *ppRb = host::CopyRbList(m_data);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& newChain, AcDbDatabase*) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    for (const resbuf* rb = &newChain; rb; rb = rb->rbnext)
        if (rb->restype == 0 || rb->restype == 5 || rb->restype == 105 || (rb->restype >= -5 && rb->restype < 0))
            return Acad::eInvalidInput;
    resbuf* copy = host::CopyRbList(&newChain);
    if (!copy) return Acad::eOutOfMemory;
    assertWriteEnabled();
    acutRelRb(m_data);
    m_data = copy;
    return Acad::eOk;
}

void AcDbXrecord::setXlateReferences(bool translate) {
    if (assertWriteEnabled()) m_xlate = translate;
}

void AcDbXrecord::setMergeStyle(AcDb::DuplicateRecordCloning style) {
    if (assertWriteEnabled()) m_mergeStyle = style;
}
