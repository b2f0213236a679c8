#pragma once
// Reading and writing the drovik commands' drawings: files, or standard
// input and output for "-". The one place the commands meet the host's DXF
// reader and writer.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class AcDbDatabase;

namespace drovik::cli {

// What reading a drawing found.
struct ReadNotes {
    std::string version;                 // "AC1015", as the file gave it
    bool binary = false;                 // a binary DXF file
    int entities = 0;                    // entities read
    std::map<std::string, int> kept;     // kept though not modelled, by kind ("MTEXT", ...)
    std::map<std::string, int> skipped;  // left out, by kind
    std::vector<std::string> mends;      // what the reader had to mend, "line N: ..."
    int mendCount = 0;                   // mends made (at least mends.size())
};

// Replaces pDb's content with the drawing at path ("-": all of `in`), read
// tolerantly; with strict, a file that needed any mend is refused. Throws
// FileError "cannot read 'PATH': CAUSE" (one line, valid UTF-8) when the
// file cannot be read or is refused.
ReadNotes ReadDrawing(const std::string& path, bool strict, std::FILE* in, AcDbDatabase* pDb);

enum class DxfFormat { kAsRead, kAscii, kBinary };

struct WriteChoice {
    std::string version;  // "" as read, else "R12", "R2000", ..., "R2018"
    DxfFormat format = DxfFormat::kAsRead;
};

// The versions WriteChoice::version takes, oldest first.
const std::vector<std::string>& WritableVersions();

// Writes pDb to path ("-": to `out`); a file is written completely or not
// at all. Answers what the chosen version cannot hold and so left out (one
// text per kind). Throws FileError "cannot write 'PATH': CAUSE".
std::vector<std::string> WriteDrawing(const AcDbDatabase* pDb, const std::string& path, const WriteChoice& choice,
                                      std::FILE* out);

// "R2000 (AC1015)" for a version the notes or the writer name, the text
// itself when it is neither known code nor name.
std::string VersionName(const std::string& version);

}  // namespace drovik::cli
