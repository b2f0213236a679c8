// Headless host: CObject, run-time classes and the class list.
#include <cstring>
#include <new>
#include <string>

#include "afxobject.h"
#include "widetext.h"

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr, nullptr};

namespace {
// Head of the class list. A plain pointer with constant initialisation, so
// registrations made while other modules build their statics always find it.
CRuntimeClass* g_pFirstClass = &CObject::classCObject;
}  // namespace

CRuntimeClass* CObject::GetThisClass() { return &CObject::classCObject; }
CRuntimeClass* CObject::GetRuntimeClass() const { return &CObject::classCObject; }
void CObject::Serialize(CArchive&) {}
void CObject::AssertValid() const {}
void CObject::Dump(CDumpContext&) const {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }

CObject* CRuntimeClass::CreateObject() {
    if (!m_pfnCreateObject) return nullptr;
    try {
        return m_pfnCreateObject();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == pBaseClass) return TRUE;
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
    if (!lpszClassName) return nullptr;
    for (CRuntimeClass* c = g_pFirstClass; c; c = c->m_pNextClass)
        if (std::strcmp(c->m_lpszClassName, lpszClassName) == 0) return c;
    return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(const wchar_t* lpszClassName) {
    if (!lpszClassName) return nullptr;
    return FromName(host::WideToUtf8(lpszClassName).c_str());
}

CObject* CRuntimeClass::CreateObject(const char* lpszClassName) {
    CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(const wchar_t* lpszClassName) {
    CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}

void AfxClassInit(CRuntimeClass* pNewClass) {
    if (!pNewClass) return;
    for (CRuntimeClass* c = g_pFirstClass; c; c = c->m_pNextClass)
        if (c == pNewClass) return;
    pNewClass->m_pNextClass = g_pFirstClass;
    g_pFirstClass = pNewClass;
}

void AfxClassTerm(CRuntimeClass* pClass) {
    for (CRuntimeClass** link = &g_pFirstClass; *link; link = &(*link)->m_pNextClass) {
        if (*link == pClass) {
            *link = pClass->m_pNextClass;
            pClass->m_pNextClass = nullptr;
            return;
        }
    }
}
