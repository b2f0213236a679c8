// Feeds arbitrary bytes, as a data node file, to the readers and the writers.
//
// Checks, besides the sanitizers' own: reading never fails other than with
// CArchiveException (endOfFile, or genericException for an unholdable text);
// the bulk codec and CDataNode::Serialize read the same nodes and fail the
// same way; a write that throws leaves the file byte for byte as it was, and
// one that succeeds leaves a file the readers accept, holding the node.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/record_codec.h"
#include "drovik/drovik.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path d = base / ("drovik-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::atexit([] { std::error_code ec; fs::remove_all(WorkDir(), ec); });
        return d;
    }();
    return dir;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, const uint8_t* data, size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Runs f; answers the archive exception's cause, or -1 when none was thrown.
template <class F>
int Cause(F&& f) {
    try {
        f();
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        Check(cause == CArchiveException::endOfFile || cause == CArchiveException::genericException, "archive cause");
        return cause;
    }
    return -1;
}

struct Parsed {
    int cause = -1;
    bool versionOk = false;
    std::vector<CDataNode> nodes;
};

Parsed ParseWithArchive(const CString& name) {
    Parsed out;
    CFile file;
    Check(file.Open(name, CFile::modeRead), "open");
    CArchive ar(&file, CArchive::load);
    out.cause = Cause([&] {
        int version = 0, count = 0;
        ar >> version;
        if (version != 1) return;
        out.versionOk = true;
        ar >> count;
        for (int i = 0; i < count; ++i) {
            out.nodes.emplace_back();
            out.nodes.back().Serialize(ar);
        }
    });
    return out;
}

Parsed ParseWithCodec(const CString& name) {
    Parsed out;
    CFile file;
    Check(file.Open(name, CFile::modeRead), "open");
    data_detail::RecordStream stream(file, name);
    std::vector<BYTE> side;
    out.cause = Cause([&] {
        if (static_cast<int>(stream.Dword()) != 1) return;
        out.versionOk = true;
        const int count = static_cast<int>(stream.Dword());
        for (int i = 0; i < count; ++i) {
            out.nodes.emplace_back();  // as above: a node for every record begun
            const data_detail::RecordView record = data_detail::NextRecord(stream, side);
            data_detail::DecodeRecord(record, out.nodes.back());
        }
    });
    return out;
}

bool SameNode(const CDataNode& a, const CDataNode& b) {
    return a.MakeIndex() == b.MakeIndex() && a.m_nValue == b.m_nValue &&
           std::memcmp(&a.m_dValue, &b.m_dValue, sizeof(double)) == 0 && a.m_strValue == b.m_strValue;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path path = WorkDir() / "input.dat";
    WriteAll(path, data, size);
    const CString name(path.c_str());

    // The two readers agree.
    const Parsed archive = ParseWithArchive(name);
    const Parsed codec = ParseWithCodec(name);
    Check(archive.cause == codec.cause, "same failure");
    Check(archive.versionOk == codec.versionOk, "same version answer");
    Check(archive.nodes.size() == codec.nodes.size(), "same record count");
    // A record cut short is half loaded by Serialize but not by the codec:
    // compare the complete ones.
    size_t complete = archive.nodes.size();
    if (archive.cause != -1 && complete > 0) --complete;
    for (size_t i = 0; i < complete; ++i) Check(SameNode(archive.nodes[i], codec.nodes[i]), "same node");

    // Objects by class: only archive exceptions, every object released once.
    {
        CFile file;
        Check(file.Open(name, CFile::modeRead), "open");
        CArchive ar(&file, CArchive::load);
        std::vector<CObject*> objects;
        try {
            for (int i = 0; i < 64; ++i) {
                CObject* object = nullptr;
                ar >> object;
                if (object && std::find(objects.begin(), objects.end(), object) == objects.end()) objects.push_back(object);
            }
        } catch (CArchiveException* e) {
            e->Delete();
        }
        for (CObject* object : objects) delete object;
    }

    // The exported readers.
    const unsigned short index = size >= 2 ? static_cast<unsigned short>(data[0] | (data[1] << 8)) : 0;
    CDataNode one;
    one.m_Index = index;
    Cause([&] { SornReadDataNode(one, name); });
    CDataNodeArray several;
    for (unsigned short i : {index, static_cast<unsigned short>(index + 1), static_cast<unsigned short>(0)}) {
        CDataNode n;
        n.m_Index = i;
        several.Add(n);
    }
    Cause([&] { SornReadDataNode(several, name); });

    // The writers: on failure the file is untouched; on success it reads back.
    const Bytes before(data, data + size);
    CDataNode node(0x40000UL | index);
    node.SetValue(CString(L"写入 \U0001F600"));
    int written = 0;
    const int cause = Cause([&] { written = SornWriteDataNode(node, name); });
    if (cause != -1 || written == 0) {
        Check(ReadAll(path) == before, "file untouched after a failed write");
    } else {
        CDataNode back;
        back.m_Index = index;
        Check(SornReadDataNode(back, name) == 1, "written node found");
        Check(back.GetString() == node.GetString(), "written node read back");
    }
    return 0;
}
