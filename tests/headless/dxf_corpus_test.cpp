// The real drawings of tests/data/dxf-corpus: each is read, saved and
// compared with what was read tag by tag; the saved file read and saved again
// gives the same file (read-write-read differential).
#include <filesystem>
#include <fstream>
#include <sstream>

#include <dbapserv.h>

#include "headless/dxf_support.h"
#include "headless/dxf_tags.h"

using host::dxf::DxfError;
using host::dxf::DxfReport;

namespace {

struct CorpusFile {
    std::string file;     // relative to the corpus folder
    std::string format;   // "ascii" or "binary"
    std::string acadver;  // as the manifest says
};

// Names the file in test listings instead of dumping the struct's bytes.
void PrintTo(const CorpusFile& f, std::ostream* os) { *os << f.file; }

std::string CorpusDir() { return std::string(DROVIK_TEST_DATA_DIR) + "/dxf-corpus/"; }

std::vector<CorpusFile> CorpusFiles() {
    std::vector<CorpusFile> files;
    std::ifstream in(CorpusDir() + "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);  // the column names
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream s(line);
        for (std::string c; std::getline(s, c, '\t');) cols.push_back(c);
        if (cols.size() >= 8) files.push_back(CorpusFile{cols[0], cols[6], cols[7]});
    }
    return files;
}

std::string TestName(const ::testing::TestParamInfo<CorpusFile>& info) {
    std::string n = info.param.file;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

// Records the host adds to a drawing that lacks them: the structure every
// drawing needs (layer 0, the standard linetypes and style, the ACAD
// application, the tables holding them), the layers the reader made for
// entities on undefined layers and the applications it registered for
// extended data (it reports each), and $HANDSEED when the header had none.
struct HostAdditions {
    const dxftags::Drawing& in;
    const DxfReport& report;
    bool operator()(const dxftags::Record& r) const {
        if (r.key == "HEADER $HANDSEED") return true;
        if (r.key == "EOF") return !in.byKey.count("EOF");  // the file ended without
        const std::string type = dxftags::Trimmed(r.tags[0].value);
        std::string name;
        for (const auto& t : r.tags)
            if (t.code == 2) name = dxftags::Trimmed(t.value);
        if (type == "SECTION" || type == "ENDSEC") return r.key == "SECTION TABLES" || r.key == "ENDSEC TABLES";
        if (type == "TABLE" || type == "ENDTAB") return true;
        if (type == "BLOCK_RECORD") {
            // The record a block of the file lacked.
            for (const auto& rec : in.records)
                if (dxftags::Trimmed(rec.tags[0].value) == "BLOCK_RECORD")
                    for (const auto& t : rec.tags)
                        if (t.code == 2 && dxftags::Upper(dxftags::Trimmed(t.value)) == dxftags::Upper(name)) return false;
            return true;
        }
        static const std::set<std::string> kStructure = {"LAYER 0", "LTYPE CONTINUOUS", "LTYPE BYLAYER",
                                                         "LTYPE BYBLOCK", "STYLE STANDARD", "APPID ACAD"};
        if (kStructure.count(type + " " + dxftags::Upper(name))) return true;
        if (type == "LAYER")
            for (const auto& w : report.warnings)
                if (w.find("'" + name + "'") != std::string::npos && w.find("layer") != std::string::npos) return true;
        // The applications of extended data the file did not register.
        if (type == "APPID")
            for (const auto& w : report.warnings)
                if (w.find("application '" + name + "': application registered") != std::string::npos) return true;
        return false;
    }
};

class DxfCorpus : public HostTest, public ::testing::WithParamInterface<CorpusFile> {
protected:
    static bool Parse(const std::string& bytes, dxftags::Drawing& d) {
        std::vector<dxftags::Tag> tags;
        std::string why;
        if (!dxftags::ParseTags(bytes, tags, why)) {
            ADD_FAILURE() << "tag parser: " << why;
            return false;
        }
        d = dxftags::Records(tags);
        return true;
    }
};

TEST_P(DxfCorpus, IsReadAndSavedKeepingEveryTagAndSavedAgainTheSame) {
    const CorpusFile& f = GetParam();
    const std::string input = FileText(CorpusDir() + f.file);
    ASSERT_FALSE(input.empty()) << f.file;
    DxfError err;
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(input.data(), input.size(), Db(), err, &report)) << err.what();
    if (f.acadver != "(none)") {
        EXPECT_EQ(report.version, f.acadver);
    }
    EXPECT_EQ(report.binary, f.format == "binary");
    EXPECT_EQ(report.skippedTotal(), 0);

    std::string saved;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), saved, err)) << err.what();
    dxftags::Drawing in, out;
    ASSERT_TRUE(Parse(input, in));
    ASSERT_TRUE(Parse(saved, out));
    EXPECT_TRUE(out.repeated.empty()) << "handles written twice:\n" << dxftags::Joined(out.repeated);
    dxftags::CompareOptions opts;
    opts.maxReports = 40;
    for (const auto& w : report.warnings) {
        // "line N: handle 2F is used twice: ..."
        const auto at = w.find(": handle ");
        const auto end = w.find(" is used twice");
        if (at != std::string::npos && end != std::string::npos && end > at + 9)
            opts.mendedHandles.insert(dxftags::Upper(w.substr(at + 9, end - at - 9)));
        // "line N: text style 'ROMANS' is not defined: Standard used"
        const auto style = w.find("text style '");
        const auto undefined = w.find("' is not defined: Standard used");
        if (style != std::string::npos && undefined != std::string::npos)
            opts.mendedValues[{7, w.substr(style + 12, undefined - style - 12)}] = "Standard";
    }
    auto diffs = dxftags::Compare(in, out, opts, HostAdditions{in, report});
    // An ENDSEC outside any section is left out (reported as a mend).
    diffs.erase(std::remove(diffs.begin(), diffs.end(), "missing: ENDSEC "), diffs.end());
    // A table's count (70) grows by the records the host added to it.
    std::map<std::string, long long> addedTo;
    const HostAdditions accepted{in, report};
    for (const auto& r : out.records)
        if (!in.byKey.count(r.key) && r.key.compare(0, 7, "TABLES ") == 0 && accepted(r))
            ++addedTo[r.key.substr(7, r.key.find(' ', 7) - 7)];
    diffs.erase(std::remove_if(diffs.begin(), diffs.end(),
                               [&](const std::string& d) {
                                   // "TABLE LAYER: tag 2 70 '6' became 70 '7'"
                                   if (d.compare(0, 6, "TABLE ") != 0) return false;
                                   const std::string table = d.substr(6, d.find(':') - 6);
                                   const auto a = d.find(" 70 '"), b = d.find("became 70 '");
                                   if (a == std::string::npos || b == std::string::npos) return false;
                                   const long long from = std::atoll(d.c_str() + a + 5), to = std::atoll(d.c_str() + b + 11);
                                   return to - from == addedTo[table];
                               }),
                diffs.end());
    EXPECT_TRUE(diffs.empty()) << f.file << ":\n" << dxftags::Joined(diffs);

    // The saved file read again and saved again is the same file.
    AcDbDatabase second(true, true);
    DxfReport again;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(saved.data(), saved.size(), &second, err, &again)) << err.what();
    EXPECT_EQ(again.kept, report.kept);
    EXPECT_EQ(again.entities, report.entities);
    std::string resaved;
    ASSERT_TRUE(host::dxf::WriteDxfString(&second, resaved, err)) << err.what();
    dxftags::Drawing twice;
    ASSERT_TRUE(Parse(resaved, twice));
    dxftags::CompareOptions exact;
    exact.defaultsMayDiffer = false;
    const auto drift = dxftags::Compare(out, twice, exact);
    EXPECT_TRUE(drift.empty()) << f.file << " read-write-read:\n" << dxftags::Joined(drift);
}

INSTANTIATE_TEST_SUITE_P(Corpus, DxfCorpus, ::testing::ValuesIn(CorpusFiles()), TestName);

// The comparer itself: it must see what it is there to see.
TEST(DxfTagCompare, FindsChangedRealsMissingRecordsAndAddedOnesButToleratesDefaults) {
    const std::string a =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n30\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2A\n8\n0\n6\nBYLAYER\n10\n1.0\n20\n2.0\n0\nCIRCLE\n5\n2B\n8\n0\n40\n3\n"
        "0\nENDSEC\n0\nEOF\n";
    auto drawing = [](const std::string& text) {
        std::vector<dxftags::Tag> tags;
        std::string why;
        EXPECT_TRUE(dxftags::ParseTags(text, tags, why)) << why;
        return dxftags::Records(tags);
    };
    const dxftags::Drawing in = drawing(a);
    EXPECT_TRUE(in.byKey.count("ENTITIES LINE #2A"));
    EXPECT_TRUE(in.byKey.count("HEADER $ACADVER"));
    dxftags::CompareOptions o;
    struct Case {
        const char* what;
        std::string from, to;
        bool same;
    };
    const Case cases[] = {
        {"a new seed, a default left out, a real within 1e-9", "5\n30\n", "5\n40\n", true},
        {"a real beyond 1e-9", "20\n2.0\n", "20\n2.00001\n", false},
        {"a handle written in lower case with zeros", "5\n2A\n", "5\n002a\n", true},
        {"a record left out", "0\nCIRCLE\n5\n2B\n8\n0\n40\n3\n", "", false},
        {"a record added", "0\nENDSEC\n0\nEOF", "0\nPOINT\n5\n2C\n8\n0\n0\nENDSEC\n0\nEOF", false},
        {"a tag dropped", "40\n3\n", "", false},
        {"a linetype of BYLAYER left out", "6\nBYLAYER\n", "", true},
    };
    for (const Case& c : cases) {
        std::string b = a;
        b.replace(b.find(c.from), c.from.size(), c.to);
        if (std::string(c.what).find("1e-9") != std::string::npos) b.replace(b.find("1.0\n"), 4, "1.0000000000001\n");
        const auto diffs = dxftags::Compare(in, drawing(b), o);
        EXPECT_EQ(diffs.empty(), c.same) << c.what << "\n" << dxftags::Joined(diffs);
    }
}

TEST(DxfTagCompare, ReadsBinaryAsItsAsciiForm) {
    // 0 SECTION / 2 ENTITIES / 0 LINE / 10 1.5 / 70 7 / 0 EOF in R13+ binary.
    std::string bin("AutoCAD Binary DXF\r\n\x1a\0", 22);
    auto code = [&](int c) { bin += static_cast<char>(c & 255), bin += static_cast<char>(c >> 8); };
    auto str = [&](const char* s) { bin += s, bin += '\0'; };
    code(0), str("SECTION"), code(2), str("ENTITIES"), code(0), str("LINE"), code(10);
    const double x = 1.5;
    char raw[8];
    std::memcpy(raw, &x, 8);
    bin.append(raw, 8);
    code(70), bin += '\x07', bin += '\0';
    code(0), str("EOF");
    std::vector<dxftags::Tag> b, t;
    std::string why;
    ASSERT_TRUE(dxftags::ParseTags(bin, b, why)) << why;
    ASSERT_TRUE(dxftags::ParseTags("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.5\n70\n7\n0\nEOF\n", t, why));
    const auto diffs = dxftags::Compare(dxftags::Records(t), dxftags::Records(b), dxftags::CompareOptions());
    EXPECT_TRUE(diffs.empty()) << dxftags::Joined(diffs);
    bin.resize(bin.size() - 3);  // cut inside the last tag
    EXPECT_FALSE(dxftags::ParseTags(bin, b, why));
}

}  // namespace

namespace {

// ezdxf opens our output of every corpus drawing (as it opens the input, or
// through its recover module where it needs that for the input) and its
// audit finds no more errors in it than in the input.
TEST_F(HostTest, EzdxfAuditsEveryCorpusOutputNoWorseThanItsInput) {
    if (!dxftest::HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    namespace fs = std::filesystem;
    const fs::path dir = UniqueTempPath("corpus_out");
    for (const CorpusFile& f : CorpusFiles()) {
        const std::string input = FileText(CorpusDir() + f.file);
        AcDbDatabase db(true, true);
        DxfError err;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(input.data(), input.size(), &db, err)) << f.file << ": " << err.what();
        const fs::path out = dir / f.file;
        fs::create_directories(out.parent_path());
        ASSERT_TRUE(host::dxf::WriteDxf(&db, host::Utf8ToWide(out.string()).c_str(), err)) << err.what();
    }
    std::string errors;
    const int rc = dxftest::RunPython(
        dxftest::InteropScript("ezdxf_audit.py") + " " + CorpusDir() + "MANIFEST.tsv " + dir.string() + " >/dev/null",
        errors);
    fs::remove_all(dir);
    EXPECT_EQ(rc, 0) << errors;
}

}  // namespace
