// The drovik program's subcommands.
#include "commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <acdocman.h>
#include <dbapserv.h>
#include <hostharness.h>
#include <widetext.h>

#include "args.h"
#include "drawing_io.h"
#include "drawing_query.h"
#include "info.h"
#include "offset.h"
#include "progress.h"
#include "rasterise.h"
#include "stake.h"
#include "stake_table.h"
#include "svg_render.h"
#include "text_escape.h"

namespace drovik::cli {
namespace {

namespace fs = std::filesystem;

const char* const kProgramHelp =
    "usage: drovik <command> [options]\n"
    "\n"
    "Runs Drovik's drafting routines on DXF drawings (R12 to R2018).\n"
    "\n"
    "commands:\n"
    "  info FILE [--json]         version, entity counts by type, layer and block, extents,\n"
    "                             what reading kept, left out and mended\n"
    "  convert FILE -o OUT [--version V] [--ascii|--binary]\n"
    "                             opens and saves a drawing, in another version or format\n"
    "  stake FILE --interval D -o OUT [--table OUT.csv] [--layer L] [--handle H]...\n"
    "                             stake marks (tick and label) along polylines, and their table\n"
    "  offset FILE --distance D -o OUT [--side left|right|both] [--layer L]\n"
    "         [--join round|miter|bevel] [--miter-limit R] [--vertexwise] [--json]\n"
    "                             offsets of polylines and of chains of lines and arcs\n"
    "  render FILE -o OUT.svg|OUT.png [--width PX] [--layout NAME]\n"
    "                             a picture of the drawing\n"
    "  demo [--out DIR]           stake, offset and render the sample road drawing\n"
    "\n"
    "Every command that reads a drawing takes --strict: refuse a file that needed mends.\n"
    "FILE '-' reads standard input; -o - writes standard output.\n"
    "\n"
    "examples:\n"
    "  drovik info road.dxf\n"
    "  drovik convert road.dxf -o road-r12.dxf --version R12\n"
    "  drovik stake road.dxf --interval 20 --layer CENTRE -o staked.dxf --table stakes.csv\n"
    "  drovik offset road.dxf --distance 7.5 -o - | drovik info -\n"
    "\n"
    "'drovik <command> --help' describes a command. Outputs never replace the input\n"
    "unless --overwrite is given. Exit codes: 0 success, 1 a file could not be read\n"
    "or written, 2 bad usage.\n";

const std::map<std::string, const char*> kCommandHelp = {
    {"info",
     "usage: drovik info FILE [--json] [--strict]\n"
     "Prints the drawing's version, the number of entities by type and by layer, the\n"
     "entities of each block, the extents, the entities and objects kept without being\n"
     "modelled and those left out (by kind), and every mend reading made.\n"
     "  --json         the same as one JSON object (described in README.md)\n"
     "  --strict       refuse a file that needed mends (exit 1)\n"
     "examples:\n"
     "  drovik info road.dxf\n"
     "  drovik info --json road.dxf | python3 -m json.tool\n"},
    {"convert",
     "usage: drovik convert FILE -o OUT [--version V] [--ascii|--binary] [--strict] [--overwrite]\n"
     "Opens the drawing and saves it again; what the chosen version cannot hold is\n"
     "named on standard error.\n"
     "  --version V    R12, R2000, R2004, R2007, R2010, R2013 or R2018 (default: as read)\n"
     "  --ascii        write ASCII DXF (default: as read)\n"
     "  --binary       write binary DXF\n"
     "  --strict       refuse a file that needed mends (exit 1)\n"
     "  -o OUT         the DXF file to write ('-': standard output)\n"
     "examples:\n"
     "  drovik convert site.dxf -o site-r2000.dxf --version R2000\n"
     "  drovik convert site.dxf -o - --binary > site.bin.dxf\n"},
    {"stake",
     "usage: drovik stake FILE --interval D -o OUT [--chord] [--layer L] [--handle H]...\n"
     "                    [--at-vertices] [--start STAKE] [--text-height T] [--table OUT.csv]\n"
     "                    [--offsets D1,D2...] [--decimals N] [--json] [--strict] [--overwrite]\n"
     "Marks polylines every D drawing units with a short tick across the line and a\n"
     "stake label such as K0+020, on layer STAKE, left of the line.\n"
     "  --interval D   spacing, a number greater than 0\n"
     "  --chord        space the marks by straight-line (chord) distance instead of\n"
     "                 distance along the line\n"
     "  --layer L      only polylines on layer L\n"
     "  --handle H     only the polyline with handle H (hexadecimal); repeatable\n"
     "  --at-vertices  also mark every vertex, labelled with its chainage\n"
     "  --start STAKE  stake of each polyline's start, e.g. K12+345.6 (default K0+000)\n"
     "  --text-height T  label height (default 0.12 times the interval)\n"
     "  --table OUT    a CSV table of the marks: centreline, stake, chainage, x, y, z,\n"
     "                 direction (degrees from +X, counter-clockwise), bearing (degrees\n"
     "                 from north, clockwise); '-': standard output\n"
     "  --offsets L    with --table: also the points at these distances across the\n"
     "                 line, left positive, e.g. 7.5,-7.5\n"
     "  --decimals N   digits after the point in the table (default 3)\n"
     "  --json         print the summary as JSON\n"
     "  -o OUT         the DXF file to write ('-': standard output); may be left out\n"
     "                 when --table is given\n"
     "examples:\n"
     "  drovik stake road.dxf --interval 20 --layer CENTRE -o staked.dxf\n"
     "  drovik stake road.dxf --interval 20 --handle 2F --at-vertices --table - --offsets 7.5,-7.5\n"},
    {"offset",
     "usage: drovik offset FILE --distance D -o OUT [--side left|right|both] [--layer L]\n"
     "                 [--join round|miter|bevel] [--miter-limit R] [--vertexwise] [--json]\n"
     "                 [--strict] [--overwrite]\n"
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
     "  --json            print the summary as JSON: every source with its length and\n"
     "                    the offsets made of it (described in README.md)\n"
     "  -o OUT            the DXF file to write ('-': standard output)\n"
     "examples:\n"
     "  drovik offset road.dxf --distance 7.5 --layer CENTRE --join miter -o road-offset.dxf\n"
     "  drovik offset road.dxf --distance 7.5 -o road-offset.dxf --json\n"},
    {"render",
     "usage: drovik render FILE -o OUT.svg|OUT.png [--width PX] [--layout NAME] [--strict] [--overwrite]\n"
     "Draws the drawing's model space (or a layout) as an SVG picture, or as a PNG\n"
     "image through rsvg-convert (Debian package librsvg2-bin): block references\n"
     "with their attributes, texts, hatches, dimensions, splines and the rest, in\n"
     "their colours and lineweights; layers that are off or frozen are left out.\n"
     "  -o OUT         the picture: PNG for a name ending in .png, SVG otherwise\n"
     "                 ('-': SVG on standard output)\n"
     "  --width PX     the picture's width in pixels, 16 to 20000 (default 1600)\n"
     "  --layout NAME  a paper-space layout instead of model space (\"Model\": model space)\n"
     "examples:\n"
     "  drovik render road.dxf -o road.svg\n"
     "  drovik render site.dxf -o site.png --width 2400 --layout Layout1\n"},
    {"demo",
     "usage: drovik demo [--out DIR]\n"
     "Runs stake, offset and render on the sample road drawing shipped with Drovik and\n"
     "writes the results into DIR (default ./drovik-demo).\n"
     "example:\n"
     "  drovik demo --out /tmp/road\n"},
};

// Where a command reads and writes, and its progress line.
struct Io {
    std::string command;
    std::FILE* in;
    std::FILE* out;
    std::FILE* err;
    Progress* progress;
    // The stream for the command's report: standard error when standard
    // output carries a drawing or table.
    std::FILE* report;
};

std::wstring Wide(const std::string& utf8) { return host::Utf8ToWide(utf8); }

AcDbDatabase* Db() { return acdbHostApplicationServices()->workingDatabase(); }

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

ReadNotes Load(const std::string& path, const Args& args, Io& io) {
    io.progress->Stage("reading " + Printable(path));
    ReadNotes notes = ReadDrawing(path, args.flag("strict"), io.in, Db());
    io.progress->Done();
    const std::string name = Printable(path);
    if (notes.mendCount > 0)
        std::fprintf(io.err, "drovik %s: %s: %d %s while reading%s\n", io.command.c_str(), name.c_str(),
                     notes.mendCount, notes.mendCount == 1 ? "mend" : "mends",
                     io.command == "info" ? "" : " (see 'drovik info')");
    int skipped = 0;
    std::string kinds;
    for (const auto& [kind, count] : notes.skipped) {
        skipped += count;
        kinds += " " + Printable(kind) + " x" + std::to_string(count);
    }
    if (skipped > 0)
        std::fprintf(io.err, "drovik %s: %s: %d entities of kinds Drovik does not model were left out:%s\n",
                     io.command.c_str(), name.c_str(), skipped, kinds.c_str());
    return notes;
}

void Save(const std::string& path, const WriteChoice& choice, Io& io) {
    io.progress->Stage("writing " + Printable(path));
    const std::vector<std::string> dropped = WriteDrawing(Db(), path, choice, io.out);
    io.progress->Done();
    for (const std::string& what : dropped)
        std::fprintf(io.err, "drovik %s: %s: %s cannot hold %s; left out\n", io.command.c_str(),
                     Printable(path).c_str(), choice.version.c_str(), Printable(what).c_str());
}

void WriteText(const std::string& path, const std::string& text, Io& io) {
    if (path == "-") {
        if (std::fwrite(text.data(), 1, text.size(), io.out) != text.size() || std::fflush(io.out) != 0)
            throw FileError{"cannot write '-': standard output could not be written"};
        return;
    }
    const fs::path target(path);
    const fs::path temp = target.string() + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush()) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw FileError{"cannot write '" + Printable(path) + "': the file could not be written"};
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw FileError{"cannot write '" + Printable(path) + "': " + ec.message()};
    }
}

// An output path, refused when it names the input and --overwrite is absent.
void CheckNotInput(const Args& args, const std::string& input, const std::string& output) {
    std::error_code ec;
    if (output != "-" && input != "-" && !args.flag("overwrite") && fs::exists(output, ec) &&
        fs::equivalent(input, output, ec))
        throw UsageError{"'" + Printable(output) + "' is the input file; pass --overwrite to replace it"};
}

std::string OutputPath(const Args& args, const std::string& input) {
    const auto output = args.value("output");
    if (!output || output->empty()) throw UsageError{"missing -o OUT"};
    CheckNotInput(args, input, *output);
    return *output;
}

int Info(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv, {}, {"json", "strict"});
    args.expectPositional(1, "FILE");
    const std::string path = args.positional()[0];
    const ReadNotes notes = Load(path, args, io);
    const DrawingInfo info = Summarize(Db(), notes);
    const std::string text = args.flag("json") ? FormatInfoJson(info, path) : FormatInfo(info);
    std::fputs(text.c_str(), io.out);
    return kExitOk;
}

WriteChoice ParseWriteChoice(const Args& args) {
    WriteChoice choice;
    if (const auto version = args.value("version")) {
        const auto& names = WritableVersions();
        if (std::find(names.begin(), names.end(), *version) == names.end()) {
            std::string list;
            for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
            throw UsageError{"--version must be one of " + list + ", not '" + Printable(*version) + "'"};
        }
        choice.version = *version;
    }
    if (args.flag("ascii") && args.flag("binary")) throw UsageError{"--ascii and --binary exclude each other"};
    if (args.flag("ascii")) choice.format = DxfFormat::kAscii;
    if (args.flag("binary")) choice.format = DxfFormat::kBinary;
    return choice;
}

int Convert(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv, {"output", "version"}, {"ascii", "binary", "strict", "overwrite"});
    args.expectPositional(1, "FILE");
    const WriteChoice choice = ParseWriteChoice(args);
    const std::string input = args.positional()[0];
    const std::string output = OutputPath(args, input);
    if (output == "-") io.report = io.err;
    const ReadNotes notes = Load(input, args, io);
    Save(output, choice, io);
    std::fprintf(io.report, "%s: %d entities written\n", Printable(output).c_str(), notes.entities);
    return kExitOk;
}

int Decimals(const Args& args) {
    const auto text = args.value("decimals");
    if (!text) return 3;
    int n = -1;
    const auto result = std::from_chars(text->data(), text->data() + text->size(), n);
    if (result.ec != std::errc() || result.ptr != text->data() + text->size() || n < 0 || n > 12)
        throw UsageError{"--decimals must be a whole number from 0 to 12, not '" + Printable(*text) + "'"};
    return n;
}

int Stake(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv,
                    {"interval", "layer", "start", "output", "handle", "table", "offsets", "decimals", "text-height"},
                    {"chord", "overwrite", "strict", "at-vertices", "json"});
    args.expectPositional(1, "FILE");
    StakeOptions options;
    const auto interval = args.positiveNumber("interval");
    if (!interval) throw UsageError{"missing --interval D"};
    options.interval = *interval;
    options.chord = args.flag("chord");
    options.atVertices = args.flag("at-vertices");
    if (options.chord && options.atVertices)
        throw UsageError{"--at-vertices labels marks by distance along the line; it cannot go with --chord"};
    if (const auto layer = args.value("layer")) options.layer = Wide(*layer);
    for (const std::string& text : args.values("handle")) {
        unsigned long long handle = 0;
        if (!ParseHandle(text, handle))
            throw UsageError{"--handle must be a hexadecimal handle such as 2F, not '" + Printable(text) + "'"};
        options.handles.push_back(handle);
    }
    if (const auto start = args.value("start"); start && !ParseStake(Wide(*start), options.startMetres))
        throw UsageError{"--start must be a stake such as K12+345.6, not '" + Printable(*start) + "'"};
    if (const auto height = args.positiveNumber("text-height")) options.textHeight = *height;
    StakeTableOptions table;
    table.decimals = Decimals(args);
    const auto tablePath = args.value("table");
    if (const auto offsets = args.value("offsets")) {
        if (!tablePath) throw UsageError{"--offsets needs --table"};
        if (!ParseOffsets(*offsets, table.offsets))
            throw UsageError{"--offsets must be numbers separated by commas, such as 7.5,-7.5, not '" +
                             Printable(*offsets) + "'"};
    }
    const std::string input = args.positional()[0];
    const auto output = args.value("output");
    if (!output && !tablePath) throw UsageError{"missing -o OUT (or --table OUT.csv)"};
    if (output) CheckNotInput(args, input, *output);
    if (tablePath) CheckNotInput(args, input, *tablePath);
    const int toStdout = (output == "-") + (tablePath == "-") + args.flag("json");
    if (toStdout > 1) throw UsageError{"only one of -o -, --table - and --json can write to standard output"};
    if (output == "-" || tablePath == "-") io.report = io.err;

    Load(input, args, io);
    io.progress->Stage("placing stake marks");
    const StakeResult result = AddStakeMarks(Db(), options);
    io.progress->Done();
    if (!result.unmatched.empty())
        throw FileError{"'" + Printable(input) + "' has no polyline with handle " + HandleText(result.unmatched[0])};
    if (output) Save(*output, WriteChoice{}, io);
    if (tablePath) WriteText(*tablePath, FormatStakeTable(result.points, table), io);
    if (args.flag("json")) {
        const std::string json = StakeSummaryJson(result, input, output, tablePath, options.interval, options.chord);
        std::fputs(json.c_str(), io.out);
    } else {
        std::fprintf(io.report, "%s: %d stake marks on %d polylines\n",
                     Printable(output ? *output : *tablePath).c_str(), result.marks, result.polylines);
    }
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

int Offset(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv, {"distance", "side", "layer", "output", "join", "miter-limit"},
                    {"overwrite", "strict", "vertexwise", "json"});
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
    if (output == "-" && args.flag("json"))
        throw UsageError{"only one of -o - and --json can write to standard output"};
    if (output == "-") io.report = io.err;
    Load(input, args, io);
    io.progress->Stage("offsetting");
    const OffsetResult result = AddOffsets(Db(), options);
    io.progress->Done();
    Save(output, WriteChoice{}, io);
    if (args.flag("json")) {
        std::fputs(OffsetSummaryJson(result, options, input, output).c_str(), io.out);
        return kExitOk;
    }
    std::fprintf(io.report, "%s: %d offsets of %d polylines and %d chains of lines and arcs", Printable(output).c_str(),
                 result.created, result.polylines, result.chains);
    if (result.failed > 0) std::fprintf(io.report, " (%d could not be made at this distance)", result.failed);
    std::fprintf(io.report, "\n");
    return kExitOk;
}

bool EndsWith(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
    return true;
}

int Render(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv, {"output", "width", "layout"}, {"overwrite", "strict"});
    args.expectPositional(1, "FILE");
    const std::string input = args.positional()[0];
    const std::string output = OutputPath(args, input);
    // A name ending in .png asks for PNG; anything else is written as SVG.
    const bool png = EndsWith(output, ".png");
    SvgOptions options;
    if (const auto width = args.positiveNumber("width")) {
        if (*width < 16 || *width > 20000) throw UsageError{"--width must be from 16 to 20000 pixels"};
        options.pageWidthPx = std::round(*width);
    }
    std::string rasteriser;
    if (png && !FindRasteriser(rasteriser))
        throw FileError{"cannot write '" + Printable(output) + "': " + kRasteriser +
                        " is not installed (Debian package librsvg2-bin)"};
    if (output == "-") io.report = io.err;
    Load(input, args, io);
    if (const auto layout = args.value("layout")) {
        options.space = LayoutSpace(Db(), Wide(*layout));
        if (options.space.isNull()) {
            std::string names;
            for (const std::wstring& name : LayoutNames(Db()))
                names += (names.empty() ? "" : ", ") + Printable(host::WideToUtf8(name));
            throw FileError{"'" + Printable(input) + "' has no layout '" + Printable(*layout) + "' (layouts: " +
                            names + ")"};
        }
    }
    io.progress->Stage("drawing");
    const std::string svg = RenderSvg(Db(), options);
    io.progress->Done();
    if (png) {
        io.progress->Stage("rasterising");
        RasteriseSvg(rasteriser, svg, output, static_cast<int>(options.pageWidthPx));
        io.progress->Done();
    } else {
        WriteText(output, svg, io);
    }
    std::fprintf(io.report, "%s: picture written\n", Printable(output).c_str());
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

int Demo(const std::vector<std::string>& argv, Io& io);

using Command = std::function<int(const std::vector<std::string>&, Io&)>;

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"info", Info}, {"convert", Convert}, {"stake", Stake}, {"offset", Offset}, {"render", Render}, {"demo", Demo},
    };
    return commands;
}

// Runs a command in a fresh drawing, turning errors into messages and codes.
int RunCommand(const std::string& name, const std::vector<std::string>& args, std::FILE* in, std::FILE* out,
               std::FILE* err) {
    Progress progress(err, IsTerminal(err));
    Io io{name, in, out, err, &progress, out};
    try {
        host::harness::ResetHost();
        return Commands().at(name)(args, io);
    } catch (const UsageError& e) {
        progress.Done();
        std::fprintf(err, "drovik %s: %s\n(see 'drovik %s --help')\n", name.c_str(), e.message.c_str(), name.c_str());
        return kExitUsage;
    } catch (const FileError& e) {
        progress.Done();
        std::fprintf(err, "drovik %s: %s\n", name.c_str(), e.message.c_str());
        return kExitFile;
    }
}

int Demo(const std::vector<std::string>& argv, Io& io) {
    const Args args(argv, {"out"}, {});
    args.expectPositional(0, "");
    const fs::path dir = args.value("out").value_or("drovik-demo");
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) throw FileError{"cannot write '" + Printable(dir.string()) + "': " + ec.message()};
    const std::string sample = SampleDrawing();
    const std::string staked = (dir / "road-stake.dxf").string();
    const std::string result = (dir / "road-result.dxf").string();
    std::fprintf(io.out, "Sample drawing %s\n", sample.c_str());
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
        std::fprintf(io.out, "\n$ drovik %s", name.c_str());
        for (const std::string& a : stepArgs) std::fprintf(io.out, " %s", a.c_str());
        std::fprintf(io.out, "\n");
        const int code = RunCommand(name, stepArgs, io.in, io.out, io.err);
        if (code != kExitOk) return code;
    }
    std::fprintf(io.out, "\nDemo results are in %s\n", fs::absolute(dir).string().c_str());
    return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err) {
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
        std::fprintf(err, "drovik: unknown command '%s' (see 'drovik --help')\n", Printable(name).c_str());
        return kExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) {
        std::fputs(kCommandHelp.at(name), out);
        return kExitOk;
    }
    return RunCommand(name, rest, in, out, err);
}

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) { return Run(args, stdin, out, err); }

}  // namespace drovik::cli
