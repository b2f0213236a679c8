#pragma once
// Headless host: geometric tolerances. Both default to 1e-10, the host's
// documented defaults, much finer than Drovik's own 0.001.
#include "adesk.h"

class AcGeTol {
public:
    AcGeTol() = default;
    double equalPoint() const { return m_equalPoint; }
    double equalVector() const { return m_equalVector; }
    void setEqualPoint(double val) { m_equalPoint = val; }
    void setEqualVector(double val) { m_equalVector = val; }

private:
    double m_equalPoint = 1e-10;
    double m_equalVector = 1e-10;
};

struct AcGeContext {
    static AcGeTol gTol;
};
