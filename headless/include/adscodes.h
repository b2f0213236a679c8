#pragma once
// Headless host: result codes of the editor and utility functions and the
// type codes of result buffers.
enum {
    RTNORM = 5100,   // success
    RTERROR = -5001,
    RTCAN = -5002,   // user cancelled
    RTREJ = -5003,   // request rejected
    RTFAIL = -5004,
    RTKWORD = -5005, // keyword typed
    RTINPUTTRUNCATED = -5008,
};

// Result-buffer type codes (besides DXF group codes).
enum {
    RTNONE = 5000,
    RTREAL = 5001,
    RTPOINT = 5002,   // 2D point
    RTSHORT = 5003,
    RTANG = 5004,
    RTSTR = 5005,
    RTENAME = 5006,
    RTPICKS = 5007,
    RTORINT = 5008,
    RT3DPOINT = 5009,
    RTLONG = 5010,
    RTVOID = 5014,
    RTLB = 5016,
    RTLE = 5017,
    RTDOTE = 5018,
    RTNIL = 5019,
    RTDXF0 = 5020,
    RTT = 5021,
    RTRESBUF = 5023,
};
