#pragma once
// Headless host: a colour by index (0 by block, 256 by layer, 1..255 palette).
#include "acadstrc.h"
#include "adesk.h"

class AcCmColor {
public:
    AcCmColor() = default;
    Adesk::UInt16 colorIndex() const { return m_index; }
    // Indexes above 256 are refused with eInvalidInput.
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index) {
        if (index > 256) return Acad::eInvalidInput;
        m_index = index;
        return Acad::eOk;
    }
    bool isByLayer() const { return m_index == 256; }
    bool isByBlock() const { return m_index == 0; }
    bool operator==(const AcCmColor& o) const { return m_index == o.m_index; }
    bool operator!=(const AcCmColor& o) const { return m_index != o.m_index; }

private:
    Adesk::UInt16 m_index = 256;
};
