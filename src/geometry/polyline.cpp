// Reading polylines from the drawing into vertex arrays, and their dump.
#include <cstdio>
#include <string>

#include <widetext.h>

#include "drovik/geometry/polyline.h"

namespace {
enum PolyKind { kNotRead = 0, kLightweight = 1, k2dSimple = 2, k2dQuadSpline = 3, k2dFitCurve = 4, k2dCubicSpline = 5 };

int KindOf2dPolyline(AcDb::Poly2dType type) {
    switch (type) {
    case AcDb::k2dSimplePoly: return k2dSimple;
    case AcDb::k2dQuadSplinePoly: return k2dQuadSpline;
    case AcDb::k2dFitCurvePoly: return k2dFitCurve;
    case AcDb::k2dCubicSplinePoly: return k2dCubicSpline;
    }
    return kNotRead;
}

bool ReadLightweight(const AcDbPolyline& pline, CPolyLine& out) {
    out.m_Type = kLightweight;
    out.m_bClosed = pline.isClosed();
    out.m_bHasBulge = pline.hasBulges();
    for (unsigned int i = 0; i < pline.numVerts(); ++i) {
        AcGePoint2d pt;
        double bulge = 0.0;
        if (pline.getPointAt(i, pt) != Acad::eOk || pline.getBulgeAt(i, bulge) != Acad::eOk) {
            out.m_Vertexs.RemoveAll();
            return false;
        }
        CPolyLineVertex vertex(AcGePoint3d(pt.x, pt.y, 0.0), bulge);
        out.m_Vertexs.Add(vertex);
    }
    return true;
}

bool Read2d(const AcDb2dPolyline& pline, CPolyLine& out) {
    out.m_Type = KindOf2dPolyline(pline.polyType());
    if (out.m_Type == kNotRead) return false;
    out.m_bClosed = pline.isClosed();
    AcDbObjectIterator* iter = pline.vertexIterator();
    if (!iter) return false;
    for (; !iter->done(); iter->step(false, true)) {
        AcDb2dVertex* vertex = nullptr;
        if (pline.openVertex(vertex, iter->objectId(), AcDb::kForRead) != Acad::eOk) {
            out.m_Vertexs.RemoveAll();
            delete iter;
            return false;
        }
        CPolyLineVertex read(pline.vertexPosition(*vertex), vertex->bulge());
        vertex->close();
        out.m_Vertexs.Add(read);
    }
    delete iter;
    return true;
}

// Opens an existing file for appending without creating or truncating it.
std::FILE* OpenForAppend(const CString& path) {
    if (path.IsEmpty()) return nullptr;
    std::FILE* file = _wfopen(path.GetString(), L"r+b");
    if (file && std::fseek(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

void WriteString(std::FILE* file, const CString& text) {
    const std::string bytes = host::WideToUtf8(text.str());
    std::fwrite(bytes.data(), 1, bytes.size(), file);
}
}  // namespace

CPolyLine::CPolyLine() = default;

CPolyLine::~CPolyLine() { m_Vertexs.RemoveAll(); }

bool CPolyLine::GetVertexInfo(AcDbObjectId id) {
    if (!id.isValid()) return false;
    m_Id = id;
    m_Vertexs.RemoveAll();
    AcDbObject* obj = nullptr;
    if (acdbOpenAcDbObject(obj, id, AcDb::kForRead) != Acad::eOk) return false;
    bool ok = false;
    if (const auto* light = AcDbPolyline::cast(obj)) {
        ok = ReadLightweight(*light, *this);
    } else if (const auto* pline2d = AcDb2dPolyline::cast(obj)) {
        ok = Read2d(*pline2d, *this);
    }
    if (ok) m_bValid = true;
    obj->close();
    return ok;
}

void CPolyLine::Print(CString strFile) {
    std::FILE* file = OpenForAppend(strFile);
    if (!file) return;
    CString line;
    WriteString(file, L"\n");
    WriteString(file, m_bClosed ? L"m_bClosed == 1" : L"m_bClosed == 0");
    WriteString(file, L"\n");
    line.Format(L"m_Type == %d", m_Type);
    WriteString(file, line);
    WriteString(file, L"\n");
    line.Format(L"nSize == %d", static_cast<int>(m_Vertexs.GetSize()));
    WriteString(file, line);
    WriteString(file, L"\n");
    for (const CPolyLineVertex& vertex : m_Vertexs) {
        line.Format(L"pt == %.6f, %.6f, %.6f", vertex.pt.x, vertex.pt.y, vertex.pt.z);
        WriteString(file, line);
        WriteString(file, L"\n");
        line.Format(L"bulge == %.9f", vertex.bulge);
        WriteString(file, line);
        WriteString(file, L"\n");
    }
    std::fclose(file);
}
