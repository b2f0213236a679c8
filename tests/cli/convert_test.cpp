// drovik convert, reading tolerantly or strictly, standard input and
// output, messages that quote file content, and the JSON outputs.
#include <algorithm>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>

#include <widetext.h>

#include "cli/cli_support.h"
#include "commands.h"
#include "progress.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using cli_support::Outcome;
using cli_support::RunCli;
using cli_support::Shown;
using drovik::cli::kExitFile;
using drovik::cli::kExitOk;
using drovik::cli::kExitUsage;

std::string Sample() { return std::string(DROVIK_SAMPLE_DIR) + "/road.dxf"; }

// A line on a layer the file does not define: read tolerantly, the layer is
// made (one mend).
const char* const kNeedsAMend = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nNOLAYER\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";

bool HavePython() { return std::system("/usr/bin/python3 -c 'import json' >/dev/null 2>&1") == 0; }

// Runs a Python check on a file; 0 when it passes.
int PythonCheck(const std::string& code, const std::string& path) {
    return std::system(("/usr/bin/python3 -c \"" + code + "\" " + path).c_str());
}

bool OneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

class Convert : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& p : m_made) std::remove(p.c_str());
    }
    std::string Temp(const std::string& name) {
        m_made.push_back(UniqueTempPath(name));
        return m_made.back();
    }
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = Temp(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::vector<std::string> m_made;
};

TEST_F(Convert, ExitCodesAndMessages) {
    const std::string out = Temp("out.dxf");
    const std::string missing = Temp("missing.dxf");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"convert", Sample()}, kExitUsage, "missing -o OUT"},
        {{"convert", Sample(), "-o", out, "--version", "R14"}, kExitUsage,
         "--version must be one of R12, R2000, R2004, R2007, R2010, R2013, R2018, not 'R14'"},
        {{"convert", Sample(), "-o", out, "--ascii", "--binary"}, kExitUsage, "--ascii and --binary exclude each other"},
        {{"convert", Sample(), "-o", Sample()}, kExitUsage, "is the input file; pass --overwrite"},
        {{"convert", Sample(), out, "-o", out}, kExitUsage, "unexpected argument"},
        {{"convert", missing, "-o", out}, kExitFile, "cannot read '" + Shown(missing) + "'"},
        {{"convert", Sample(), "-o", "/no/such/folder/out.dxf"}, kExitFile, "cannot write '/no/such/folder/out.dxf'"},
    };
    for (const auto& tc : cases) {
        const Outcome o = RunCli(tc.args);
        EXPECT_EQ(o.code, tc.code) << o.err;
        EXPECT_NE(o.err.find(tc.message), std::string::npos) << o.err;
        EXPECT_EQ(o.err.rfind("drovik convert: ", 0), 0u) << o.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(Convert, SavesADrawingThatReadsBackTheSame) {
    const std::string out = Temp("road.dxf");
    const Outcome o = RunCli({"convert", Sample(), "-o", out});
    ASSERT_EQ(o.code, kExitOk) << o.err;
    EXPECT_NE(o.out.find(Shown(out) + ": 27 entities written"), std::string::npos) << o.out;
    // The same summary, below the version line (the writer may change the version).
    auto belowVersion = [](const std::string& text) { return text.substr(text.find('\n')); };
    EXPECT_EQ(belowVersion(RunCli({"info", out}).out), belowVersion(RunCli({"info", Sample()}).out));
    // The sample is R2000; asked for explicitly, R2018 is what today's writer writes.
    const Outcome r2018 = RunCli({"convert", Sample(), "-o", out, "--version", "R2018", "--ascii"});
    ASSERT_EQ(r2018.code, kExitOk) << r2018.err;
    EXPECT_NE(FileText(out).find("$ACADVER\n  1\nAC1032\n"), std::string::npos);
}

// Another version is either written as asked or refused naming the file;
// never a file of the wrong version.
TEST_F(Convert, OtherVersionsAreWrittenAsAskedOrRefused) {
    const std::pair<const char*, const char*> versions[] = {{"R12", "AC1009"}, {"R2000", "AC1015"}, {"R2013", "AC1027"}};
    for (const auto& [name, code] : versions) {
        const std::string out = Temp(std::string(name) + ".dxf");
        const Outcome o = RunCli({"convert", Sample(), "-o", out, "--version", name});
        if (o.code == kExitOk) {
            EXPECT_NE(FileText(out).find(std::string("AC10")), std::string::npos);
            EXPECT_NE(FileText(out).find(code), std::string::npos) << name;
        } else {
            EXPECT_EQ(o.code, kExitFile);
            EXPECT_NE(o.err.find("cannot write '" + Shown(out) + "'"), std::string::npos) << o.err;
            EXPECT_TRUE(OneLine(o.err)) << o.err;
            EXPECT_FALSE(fs::exists(out));
        }
    }
}

TEST_F(Convert, ReadsStandardInputAndWritesStandardOutput) {
    const std::string road = FileText(Sample());
    const Outcome o = RunCli({"convert", "-", "-o", "-"}, road);
    ASSERT_EQ(o.code, kExitOk) << o.err;
    EXPECT_EQ(o.out.rfind("  0\nSECTION\n", 0), 0u) << o.out.substr(0, 40);  // only the drawing on stdout
    EXPECT_NE(o.err.find("-: 27 entities written"), std::string::npos) << o.err;
    const Outcome back = RunCli({"info", "-"}, o.out);
    ASSERT_EQ(back.code, kExitOk) << back.err;
    EXPECT_NE(back.out.find("entities: 27\n"), std::string::npos) << back.out;
    // Each command that writes a drawing or picture does it to stdout.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"stake", "-", "--interval", "20", "-o", "-"},
             {"offset", "-", "--distance", "2", "-o", "-"},
             {"render", "-", "-o", "-"}}) {
        const Outcome w = RunCli(args, road);
        ASSERT_EQ(w.code, kExitOk) << args[0] << ": " << w.err;
        EXPECT_TRUE(w.out.rfind("  0\nSECTION\n", 0) == 0 || w.out.rfind("<svg", 0) == 0 || w.out.rfind("<?xml", 0) == 0)
            << args[0] << ": " << w.out.substr(0, 40);
        EXPECT_FALSE(w.err.empty());  // the report went to stderr
    }
    const Outcome empty = RunCli({"info", "-"}, "");
    EXPECT_EQ(empty.code, kExitFile);
    EXPECT_NE(empty.err.find("cannot read '-'"), std::string::npos) << empty.err;
}

// Every reading command reports mends on stderr, and with --strict refuses
// the file naming the first mend.
TEST_F(Convert, MendsAreCountedAndStrictRefusesThem) {
    const std::string file = Write("mend.dxf", kNeedsAMend);
    const std::string out = Temp("out");
    const std::vector<std::vector<std::string>> commands = {
        {"info", file},
        {"convert", file, "-o", out},
        {"stake", file, "--interval", "5", "-o", out},
        {"offset", file, "--distance", "1", "-o", out},
        {"render", file, "-o", out},
    };
    for (std::vector<std::string> args : commands) {
        const Outcome tolerant = RunCli(args);
        EXPECT_EQ(tolerant.code, kExitOk) << tolerant.err;
        EXPECT_NE(tolerant.err.find("drovik " + args[0] + ": " + Shown(file) + ": 1 mend while reading"), std::string::npos)
            << tolerant.err;
        std::remove(out.c_str());
        args.push_back("--strict");
        const Outcome strict = RunCli(args);
        EXPECT_EQ(strict.code, kExitFile) << args[0];
        EXPECT_NE(strict.err.find("cannot read '" + Shown(file) + "': "), std::string::npos) << strict.err;
        EXPECT_NE(strict.err.find("NOLAYER"), std::string::npos) << strict.err;  // names the mend
        EXPECT_TRUE(OneLine(strict.err)) << strict.err;
        EXPECT_FALSE(fs::exists(out)) << args[0];
    }
    const Outcome clean = RunCli({"info", "--strict", Sample()});
    EXPECT_EQ(clean.code, kExitOk) << clean.err;
    EXPECT_EQ(clean.err, "");
    const Outcome info = RunCli({"info", file});
    EXPECT_NE(info.out.find("mends: 1\n  line 6: "), std::string::npos) << info.out;
}

// Regression: a file whose bad number held raw bytes and an escape
// sequence put them, unescaped, into the one-line error message. The bad
// number is a mend, so strict reading refuses the file and quotes it.
TEST_F(Convert, MessagesQuotingTheFileAreOneLineOfValidUtf8) {
    const std::string file = Write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nbad\xFF\x01\x1B[31m\n0\nENDSEC\n0\nEOF\n");
    for (const std::string command : {"info", "render"}) {
        std::vector<std::string> args = {command, "--strict", file};
        if (command == "render") args.insert(args.end(), {"-o", Temp("x.svg")});
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.code, kExitFile);
        EXPECT_TRUE(host::IsValidUtf8(o.err)) << o.err;
        EXPECT_TRUE(OneLine(o.err)) << o.err;
        EXPECT_NE(o.err.find("'bad\\xFF"), std::string::npos) << o.err;  // the quoted value, shown escaped
        EXPECT_EQ(o.err.find('\x1B'), std::string::npos) << o.err;       // no terminal escape gets through
    }
    // A layer name with a control character is listed escaped on its line.
    std::string drawing = kNeedsAMend;
    drawing.replace(drawing.find("NOLAYER"), 7, "NO\x07LAY\xC3");
    const Outcome info = RunCli({"info", Write("ctl.dxf", drawing)});
    ASSERT_EQ(info.code, kExitOk) << info.err;
    EXPECT_TRUE(host::IsValidUtf8(info.out + info.err));
    EXPECT_EQ(info.out.find('\x07'), std::string::npos);
}

TEST_F(Convert, InfoJsonParsesBackWithTheTextsFigures) {
    if (!HavePython()) GTEST_SKIP() << "no /usr/bin/python3";
    const Outcome o = RunCli({"info", "--json", Sample()});
    ASSERT_EQ(o.code, kExitOk) << o.err;
    const std::string json = Write("info.json", o.out);
    EXPECT_EQ(PythonCheck("import json,sys; d=json.load(open(sys.argv[1],encoding='utf-8'));"
                          " ok = d['version']=='AC1015' and d['entities']==27 and d['by_type']['TEXT']==9"
                          " and d['by_layer']['CENTRE']==1 and d['by_block']['*Model_Space']==27"
                          " and abs(d['extents']['min'][0]+3.5)<1e-9 and d['mend_count']==0 and d['mends']==[]"
                          " and all(isinstance(n, int) and n > 0 for n in d['kept_unmodelled'].values())"
        " and 'LINE' not in d['kept_unmodelled'] and d['binary'] is False;"
                          " sys.exit(0 if ok else 1)",
                          json),
              0)
        << o.out;
    const Outcome mended = RunCli({"info", "--json", Write("mend.dxf", kNeedsAMend)});
    const std::string json2 = Write("mend.json", mended.out);
    EXPECT_EQ(PythonCheck("import json,sys; d=json.load(open(sys.argv[1],encoding='utf-8'));"
                          " sys.exit(0 if d['mend_count']==1 and 'NOLAYER' in d['mends'][0] else 1)",
                          json2),
              0)
        << mended.out;
}

TEST_F(Convert, StakeJsonAndTheOneStandardOutput) {
    const Outcome clash = RunCli({"stake", Sample(), "--interval", "20", "-o", "-", "--json"});
    EXPECT_EQ(clash.code, kExitUsage);
    EXPECT_NE(clash.err.find("only one of -o -, --table - and --json"), std::string::npos) << clash.err;
    if (!HavePython()) GTEST_SKIP() << "no /usr/bin/python3";
    const std::string table = Temp("t.csv");
    const Outcome o = RunCli({"stake", Sample(), "--interval", "20", "--layer", "CENTRE", "--table", table, "--json"});
    ASSERT_EQ(o.code, kExitOk) << o.err;
    const std::string json = Write("stake.json", o.out);
    // The table has a header and one row per mark the summary counts.
    const std::string csv = FileText(table);
    const int rows = static_cast<int>(std::count(csv.begin(), csv.end(), '\n')) - 1;
    EXPECT_EQ(PythonCheck("import json,sys; d=json.load(open(sys.argv[1])); c=d['centrelines'];"
                          " sys.exit(0 if d['marks']==" + std::to_string(rows) +
                              " and d['output'] is None and len(c)==1 and c[0]['layer']=='CENTRE'"
                              " and c[0]['marks']==d['marks'] and d['spacing']=='arc' else 1)",
                          json),
              0)
        << o.out;
}

TEST(ProgressLine, ShownOnlyWhenEnabledAndAfterTheDelay) {
    for (const bool enabled : {false, true}) {
        std::FILE* err = std::tmpfile();
        {
            drovik::cli::Progress progress(err, enabled, std::chrono::milliseconds(20));
            progress.Stage("quick");
            progress.Stage("reading big.dxf");
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            progress.Done();
        }
        const std::string text = cli_support::Drain(err);
        if (!enabled) {
            EXPECT_EQ(text, "");
        } else {
            EXPECT_NE(text.find("drovik: reading big.dxf... "), std::string::npos) << text;
            EXPECT_EQ(text.find("quick"), std::string::npos) << text;  // over before the delay
            EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");      // erased at the end
        }
    }
    std::FILE* file = std::tmpfile();
    EXPECT_FALSE(drovik::cli::IsTerminal(file));  // so tests and pipes see no progress line
    std::fclose(file);
}
}  // namespace
