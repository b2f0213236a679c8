// The drovik program's subcommands.
#include "commands.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <acdocman.h>
#include <dbapserv.h>
#include <dxfio.h>
#include <hostharness.h>
#include <widetext.h>

#include "args.h"
#include "info.h"
#include "offset.h"
#include "stake.h"
#include "svg_render.h"

namespace drovik::cli {
namespace {

namespace fs = std::filesystem;

const char* const kProgramHelp =
    "usage: drovik <command> [options]\n"
    "\n"
    "Runs Drovik's drafting routines on ASCII DXF drawings (R12 to R2018 in, R2018 out).\n"
    "\n"
    "commands:\n"
    "  info FILE                  entity counts by type and layer, and the extents\n"
    "  stake FILE --interval D -o OUT [--chord] [--layer L] [--start STAKE]\n"
    "                             stake marks (tick and label) along each polyline\n"
    "  offset FILE --distance D -o OUT [--side left|right|both] [--layer L]\n"
    "         [--join round|miter|bevel] [--miter-limit R] [--vertexwise]\n"
    "                             offsets of polylines and of chains of lines and arcs\n"
    "  render FILE -o OUT.svg     a picture of the drawing\n"
    "  demo [--out DIR]           stake, offset and render the sample road drawing\n"
    "\n"
    "'drovik <command> --help' describes a command. Outputs never replace the input\n"
    "unless --overwrite is given. Exit codes: 0 success, 1 a file could not be read\n"
    "or written, 2 bad usage.\n";

const std::map<std::string, const char*> kCommandHelp = {
    {"info",
     "usage: drovik info FILE\n"
     "Prints the number of entities by type and by layer, and the drawing's extents.\n"},
    {"stake",
     "usage: drovik stake FILE --interval D -o OUT [--chord] [--layer L] [--start STAKE] [--overwrite]\n"
     "Marks every polyline (on layer L, or all) every D drawing units with a short tick\n"
     "across the line and a stake label such as K0+020, on layer STAKE.\n"
     "  --interval D   spacing, a number greater than 0\n"
     "  --chord        space the marks by straight-line (chord) distance instead of\n"
     "                 distance along the line\n"
     "  --layer L      only polylines on layer L\n"
     "  --start STAKE  stake of each polyline's start, e.g. K12+345.6 (default K0+000)\n"
     "  -o OUT         the DXF file to write\n"},
    {"offset",
     "usage: drovik offset FILE --distance D -o OUT [--side left|right|both] [--layer L]\n"
     "                 [--join round|miter|bevel] [--miter-limit R] [--vertexwise] [--overwrite]\n"
     "Offsets every polyline, and every chain of touching lines and arcs, by D to the\n"
     "left and/or right of its direction; new polylines go on layer OFFSET. Parts of an\n"
     "offset that come nearer the source than D (tight curves, narrow loops, zig-zags)\n"
     "are cut away, and what is left may be several pieces; closed polylines, and\n"
     "chains whose ends meet, give closed outlines.\n"
     "  --distance D      offset distance, a number greater than 0\n"
     "  --side S          left, right or both (default both)\n"
     "  --layer L         only entities on layer L\n"
     "  --join J          outer corners: round (default), miter or bevel\n"
     "  --miter-limit R   a mitre reaching farther than R times D from its corner is\n"
     "                    cut square at that distance (default 2, at least 1)\n"
     "  --vertexwise      the plain offset instead: one vertex per segment, no clean-up\n"
     "                    (OffsetVertexs for polylines, OffsetEnts for lines and arcs)\n"
     "  -o OUT            the DXF file to write\n"},
    {"render",
     "usage: drovik render FILE -o OUT.svg [--overwrite]\n"
     "Draws the drawing's model space as an SVG picture (y axis up, colours by index).\n"},
    {"demo",
     "usage: drovik demo [--out DIR]\n"
     "Runs stake, offset and render on the sample road drawing shipped with Drovik and\n"
     "writes the results into DIR (default ./drovik-demo).\n"},
};

// A failure that ends the command with exit code 1.
struct FileError {
    std::string message;
};

std::wstring Wide(const std::string& utf8) { return host::Utf8ToWide(utf8); }

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

void Load(const std::string& path, std::FILE* out) {
    host::dxf::DxfError error;
    host::dxf::DxfReport report;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!host::dxf::ReadDxf(Wide(path).c_str(), db, error, &report))
        throw FileError{"cannot read '" + path + "': " + error.what()};
    if (report.skippedTotal() > 0) {
        std::fprintf(out, "%s: %d entities of kinds Drovik does not model were left out:", path.c_str(),
                     report.skippedTotal());
        for (const auto& [kind, count] : report.skipped) std::fprintf(out, " %s x%d", kind.c_str(), count);
        std::fprintf(out, "\n");
    }
}

void Save(const std::string& path) {
    host::dxf::DxfError error;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!host::dxf::WriteDxf(db, Wide(path).c_str(), error))
        throw FileError{"cannot write '" + path + "': " + error.what()};
}

void WriteText(const std::string& path, const std::string& text) {
    const fs::path target(path);
    const fs::path temp = target.string() + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush()) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw FileError{"cannot write '" + path + "': the file could not be written"};
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw FileError{"cannot write '" + path + "': " + ec.message()};
    }
}

// The output path, refused when it names the input and --overwrite is absent.
std::string OutputPath(const Args& args, const std::string& input) {
    const auto output = args.value("output");
    if (!output || output->empty()) throw UsageError{"missing -o OUT"};
    std::error_code ec;
    if (!args.flag("overwrite") && fs::exists(*output, ec) && fs::equivalent(input, *output, ec))
        throw UsageError{"'" + *output + "' is the input file; pass --overwrite to replace it"};
    return *output;
}

int Info(const std::vector<std::string>& argv, std::FILE* out) {
    const Args args(argv, {}, {});
    args.expectPositional(1, "FILE");
    Load(args.positional()[0], out);
    std::fputs(FormatInfo(Summarize(acdbHostApplicationServices()->workingDatabase())).c_str(), out);
    return kExitOk;
}

int Stake(const std::vector<std::string>& argv, std::FILE* out) {
    const Args args(argv, {"interval", "layer", "start", "output"}, {"chord", "overwrite"});
    args.expectPositional(1, "FILE");
    StakeOptions options;
    const auto interval = args.positiveNumber("interval");
    if (!interval) throw UsageError{"missing --interval D"};
    options.interval = *interval;
    options.chord = args.flag("chord");
    if (const auto layer = args.value("layer")) options.layer = Wide(*layer);
    if (const auto start = args.value("start"); start && !ParseStake(Wide(*start), options.startMetres))
        throw UsageError{"--start must be a stake such as K12+345.6, not '" + *start + "'"};
    const std::string input = args.positional()[0];
    const std::string output = OutputPath(args, input);
    Load(input, out);
    const StakeResult result = AddStakeMarks(acdbHostApplicationServices()->workingDatabase(), options);
    Save(output);
    std::fprintf(out, "%s: %d stake marks on %d polylines\n", output.c_str(), result.marks, result.polylines);
    return kExitOk;
}

Side ParseSide(const std::optional<std::string>& text) {
    if (!text || *text == "both") return Side::kBoth;
    if (*text == "left") return Side::kLeft;
    if (*text == "right") return Side::kRight;
    throw UsageError{"--side must be left, right or both, not '" + *text + "'"};
}

Join ParseJoin(const std::optional<std::string>& text) {
    if (!text || *text == "round") return Join::kRound;
    if (*text == "miter") return Join::kMiter;
    if (*text == "bevel") return Join::kBevel;
    throw UsageError{"--join must be round, miter or bevel, not '" + *text + "'"};
}

int Offset(const std::vector<std::string>& argv, std::FILE* out) {
    const Args args(argv, {"distance", "side", "layer", "output", "join", "miter-limit"}, {"overwrite", "vertexwise"});
    args.expectPositional(1, "FILE");
    OffsetOptions options;
    const auto distance = args.positiveNumber("distance");
    if (!distance) throw UsageError{"missing --distance D"};
    options.distance = *distance;
    options.side = ParseSide(args.value("side"));
    options.join = ParseJoin(args.value("join"));
    if (const auto limit = args.positiveNumber("miter-limit")) {
        if (*limit < 1.0) throw UsageError{"--miter-limit must be at least 1"};
        options.miterLimit = *limit;
    }
    options.vertexwise = args.flag("vertexwise");
    if (options.vertexwise && (args.value("join") || args.value("miter-limit")))
        throw UsageError{"--vertexwise takes no --join or --miter-limit"};
    if (const auto layer = args.value("layer")) options.layer = Wide(*layer);
    const std::string input = args.positional()[0];
    const std::string output = OutputPath(args, input);
    Load(input, out);
    const OffsetResult result = AddOffsets(acdbHostApplicationServices()->workingDatabase(), options);
    Save(output);
    std::fprintf(out, "%s: %d offsets of %d polylines and %d chains of lines and arcs", output.c_str(),
                 result.created, result.polylines, result.chains);
    if (result.failed > 0) std::fprintf(out, " (%d could not be made at this distance)", result.failed);
    std::fprintf(out, "\n");
    return kExitOk;
}

int Render(const std::vector<std::string>& argv, std::FILE* out) {
    const Args args(argv, {"output"}, {"overwrite"});
    args.expectPositional(1, "FILE");
    const std::string input = args.positional()[0];
    const std::string output = OutputPath(args, input);
    Load(input, out);
    WriteText(output, RenderSvg(acdbHostApplicationServices()->workingDatabase()));
    std::fprintf(out, "%s: picture written\n", output.c_str());
    return kExitOk;
}

std::string SampleDrawing() {
    for (const fs::path& dir : {fs::path(DROVIK_SAMPLE_DIR), fs::path(DROVIK_INSTALLED_SAMPLE_DIR)}) {
        std::error_code ec;
        if (fs::exists(dir / "road.dxf", ec)) return (dir / "road.dxf").string();
    }
    throw FileError{"cannot read the sample drawing 'road.dxf': not found in " + std::string(DROVIK_SAMPLE_DIR) +
                    " or " + DROVIK_INSTALLED_SAMPLE_DIR};
}

int Demo(const std::vector<std::string>& argv, std::FILE* out, std::FILE* err);

using Command = std::function<int(const std::vector<std::string>&, std::FILE*, std::FILE*)>;

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"info", [](const auto& a, std::FILE* o, std::FILE*) { return Info(a, o); }},
        {"stake", [](const auto& a, std::FILE* o, std::FILE*) { return Stake(a, o); }},
        {"offset", [](const auto& a, std::FILE* o, std::FILE*) { return Offset(a, o); }},
        {"render", [](const auto& a, std::FILE* o, std::FILE*) { return Render(a, o); }},
        {"demo", Demo},
    };
    return commands;
}

// Runs a command in a fresh drawing, turning errors into messages and codes.
int RunCommand(const std::string& name, const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        host::harness::ResetHost();
        return Commands().at(name)(args, out, err);
    } catch (const UsageError& e) {
        std::fprintf(err, "drovik %s: %s\n(see 'drovik %s --help')\n", name.c_str(), e.message.c_str(), name.c_str());
        return kExitUsage;
    } catch (const FileError& e) {
        std::fprintf(err, "drovik %s: %s\n", name.c_str(), e.message.c_str());
        return kExitFile;
    }
}

int Demo(const std::vector<std::string>& argv, std::FILE* out, std::FILE* err) {
    const Args args(argv, {"out"}, {});
    args.expectPositional(0, "");
    const fs::path dir = args.value("out").value_or("drovik-demo");
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) throw FileError{"cannot write '" + dir.string() + "': " + ec.message()};
    const std::string sample = SampleDrawing();
    const std::string staked = (dir / "road-stake.dxf").string();
    const std::string result = (dir / "road-result.dxf").string();
    std::fprintf(out, "Sample drawing %s\n", sample.c_str());
    const std::vector<std::pair<std::string, std::vector<std::string>>> steps = {
        {"info", {sample}},
        {"stake", {sample, "--interval", "20", "--layer", "CENTRE", "--start", "K0+000", "-o", staked}},
        {"offset", {staked, "--distance", "7.5", "--layer", "CENTRE", "-o", result}},
        {"offset", {result, "--distance", "1.5", "--layer", "PIPE", "--side", "left", "-o", result, "--overwrite"}},
        {"info", {result}},
        {"render", {sample, "-o", (dir / "road.svg").string()}},
        {"render", {result, "-o", (dir / "road-result.svg").string()}},
    };
    for (const auto& [name, stepArgs] : steps) {
        std::fprintf(out, "\n$ drovik %s", name.c_str());
        for (const std::string& a : stepArgs) std::fprintf(out, " %s", a.c_str());
        std::fprintf(out, "\n");
        const int code = RunCommand(name, stepArgs, out, err);
        if (code != kExitOk) return code;
    }
    std::fprintf(out, "\nDemo results are in %s\n", fs::absolute(dir).string().c_str());
    return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(kProgramHelp, err);
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kProgramHelp, out);
        return kExitOk;
    }
    if (!Commands().count(name)) {
        std::fprintf(err, "drovik: unknown command '%s' (see 'drovik --help')\n", name.c_str());
        return kExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) {
        std::fputs(kCommandHelp.at(name), out);
        return kExitOk;
    }
    return RunCommand(name, rest, out, err);
}

}  // namespace drovik::cli
