// `quillon atlas` end to end, on the example rooms (examples/atlas) given as
// texts and as room files, on folders and broken inputs, and on the room
// fuzzer's hostile rooms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "codec/exact/exact.h"
#include "testkit/cli_support.h"
#include "testkit/room_gen.h"

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define QUILLON_HAS_JSON 1
#endif

using namespace quillon_test;

namespace {

const char* const kRooms[] = {"ROOM1000", "ROOM1010", "ROOM1020", "ROOM1030", "ROOM2000"};
const std::string kExamples = std::string(QUILLON_SOURCE_DIR) + "/examples/atlas";

// The chunk of an example text ("" when the room has none), and the text as
// disassemble --exact prints it.
std::string Compiled(const std::string& name, std::string* printed = nullptr) {
    const fs::path path = fs::path(kExamples) / name;
    if (!fs::exists(path)) return "";
    std::string chunk, reason;
    EXPECT_TRUE(quillon::exact::CompileChunk(ReadFile(path), chunk, {})) << name;
    if (printed) {
        EXPECT_TRUE(quillon::exact::DisassembleChunk(chunk, *printed, reason)) << reason;
    }
    return chunk;
}

// The example rooms as room files in `rooms`, and as the texts that
// disassemble --exact prints in `texts`.
void WriteExamples(const fs::path& rooms, const fs::path& texts) {
    for (const std::string room : kRooms) {
        std::string chunks[2];
        const char* const scripts[] = {".init.c", ".main.c"};
        for (int k = 0; k < 2; ++k) {
            std::string printed;
            chunks[k] = Compiled(room + scripts[k], &printed);
            if (!chunks[k].empty()) WriteFile(texts / (room + scripts[k]), printed);
        }
        WriteFile(rooms / (room + ".RDT"),
                  BuildRoom(chunks[0].empty() ? kInit : chunks[0], chunks[1]));
    }
}

TEST(CliAtlas, TextsAndRoomFilesGiveTheSameFacts) {
    TempDir dir;
    WriteExamples(dir / "rooms", dir / "texts");
    const RunResult fromRooms = RunQuillon({"atlas", dir.str("rooms")});
    const RunResult fromTexts = RunQuillon({"atlas", dir.str("texts")});
    ASSERT_EQ(fromRooms.status, 0) << fromRooms.err;
    ASSERT_EQ(fromTexts.status, 0) << fromTexts.err;
    EXPECT_EQ(fromRooms.out, fromTexts.out);
    EXPECT_NE(fromRooms.out.find("ITEM_SMALL_KEY x1, area -500, 700, 900, 900    main Sub00 line "
                                 "7 (under a condition)"),
              std::string::npos)
        << fromRooms.out;
    // A text stands before the room file of the same chunk: its own lines.
    WriteFile(dir / "rooms/ROOM1010.main.c",
              "// quillon exact\n\n" + Example("atlas/ROOM1010.main.c").substr(17));
    const RunResult edited = RunQuillon({"atlas", dir.str("rooms")});
    EXPECT_NE(edited.out.find("ITEM_SMALL_KEY x1, area -500, 700, 900, 900    main Sub00 line 8"),
              std::string::npos)
        << edited.out;
}

TEST(CliAtlas, FoldersRoomsAndInputsThatCannotBeRead) {
    TempDir dir;
    WriteFile(dir / "game/ROOM1000.RDT", BuildRoom(kInit, kMain));
    WriteFile(dir / "game/sub/ROOM1010.RDT", BuildRoom(kInit, kMain));
    WriteFile(dir / "game/ROOM1020.RDT", BuildRoom(kInit, kMain).substr(0, 40));
    WriteFile(dir / "game/notes.txt", "x");
    WriteFile(dir / "odd.scd", kMain);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out; // in the report's first line
        const char* err; // in standard error ("" none)
    } kRuns[] = {
        {{dir.str("game")}, 1, "1 room\n", "ROOM1020.RDT: "},
        {{"-r", dir.str("game")}, 1, "2 rooms\n", "ROOM1020.RDT: "},
        {{dir.str("odd.scd")}, 1, "0 rooms\n", "odd.scd: the name does not say which room"},
        {{"--room", "1,05,0", dir.str("odd.scd")}, 0, "1 room\n", ""},
        {{dir.str("none.rdt")}, 1, "0 rooms\n", "none.rdt"},
        {{"--room", "1,05,0", dir.str("game")}, 2, "", "names the room of files"},
        {{"--room", "9,05,0", dir.str("odd.scd")}, 2, "", "is not S,RR,P"},
        {{"-o", dir.str("game/ROOM1000.RDT"), dir.str("game")}, 2, "", "is an input"},
    };
    const std::string room = ReadFile(dir / "game/ROOM1000.RDT");
    for (const auto& run : kRuns) {
        std::vector<std::string> args = {"atlas"};
        args.insert(args.end(), run.args.begin(), run.args.end());
        const RunResult r = RunQuillon(args);
        SCOPED_TRACE(run.args.back());
        EXPECT_EQ(r.status, run.status) << r.err;
        EXPECT_EQ(r.out.substr(0, std::string(run.out).size()), run.out);
        if (*run.err) {
            EXPECT_NE(r.err.find(run.err), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
    EXPECT_EQ(ReadFile(dir / "game/ROOM1000.RDT"), room);
    // A text that does not compile: its first error where compile puts it.
    WriteFile(dir / "ROOM1050.main.c", "// quillon exact\nint Sub00(void) {\n\tNo_such(1);\n}\n");
    const RunResult r = RunQuillon({"atlas", dir.str("ROOM1050.main.c")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: " + dir.str("ROOM1050.main.c") +
                         ":3:2: error: unknown instruction 'No_such'\n");
}

TEST(CliAtlas, CheckWarnsAsCompileDoes) {
    RunResult r = RunQuillon({"atlas", "--check", kExamples});
    const std::string at = kExamples + "/ROOM2000.main.c:";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, at +
                         "6:2: warning: the door leads to room 2-01 (ROOM2010), which is not in "
                         "the set (main chunk)\n" +
                         at +
                         "9:6: warning: the flag FG_SCENARIO, 20 is checked here (1 place) "
                         "but changed nowhere in the set (main chunk)\n");
    r = RunQuillon({"atlas", "--check", "--Werror", kExamples});
    EXPECT_EQ(r.status, 1);
    r = RunQuillon({"atlas", "--Werror", kExamples});
    EXPECT_EQ(r.status, 2);
}

TEST(CliAtlas, CsvTablesAndTheDoorGraph) {
    RunResult r = RunQuillon({"atlas", "--format", "csv", "--table", "flags", kExamples});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> rows = Lines(r.out);
    ASSERT_EQ(rows.size(), 6u) << r.out;
    EXPECT_EQ(rows[0], "room,file,chunk,procedure,offset,line,column,conditional,use,group,index,"
                       "flag\r");
    const char* const kFlags[] = {"1-00,checked,3,18", "1-01,changed,5,3", "1-01,checked,5,3",
                                  "1-01,changed,3,18", "2-00,checked,3,20"};
    for (std::size_t k = 0; k < std::size(kFlags); ++k) {
        const std::string& row = rows[k + 1];
        const std::string want = kFlags[k];
        EXPECT_EQ(row.substr(0, 5), want.substr(0, 5));
        EXPECT_NE(row.find(want.substr(4)), std::string::npos) << row;
    }
    EXPECT_EQ(RunQuillon({"atlas", "--format", "csv", kExamples}).status, 2);

    r = RunQuillon({"atlas", "--format", "dot", kExamples});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"\"1-00\" -> \"1-02\" [label=\"ITEM_SMALL_KEY\"];",
                             "\"1-00\" -> \"1-03\" [style=bold];", "\"2-01\" [style=dashed];",
                             "label=\"stage 2\";", "\"2-00\" -> \"2-01\" [label=\"LOCKED\"];"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;

    // --svg draws with Graphviz where it is installed, and says how to
    // install it where it is not.
    TempDir dir;
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.str("nothing").c_str(), 1);
    r = RunQuillon({"atlas", "--check", "--svg", dir.str("doors.svg"), kExamples});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("install Graphviz"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "doors.svg"));
}

TEST(CliAtlas, HostileRoomsGiveReasonsNeverACrash) {
    // Each of the room fuzzer's inputs, cut as it cuts them: a room file
    // (player 0) and a main chunk (player 1).
    TempDir dir;
    int n = 0;
    const fs::path corpus = fs::path(QUILLON_SOURCE_DIR) / "fuzz/corpus/room";
    for (const auto& e : fs::directory_iterator(corpus)) {
        const std::string data = ReadFile(e.path());
        if (data.size() < 2) continue;
        const std::size_t rest = data.size() - 2;
        const std::size_t cut =
            (static_cast<unsigned char>(data[0]) | static_cast<unsigned char>(data[1]) << 8) %
            (rest + 1);
        char name[32];
        std::snprintf(name, sizeof name, "ROOM%d%02X", 1 + n / 256 % 7, n % 256);
        WriteFile(dir / (name + std::string("0.RDT")), data.substr(2, cut));
        WriteFile(dir / (name + std::string("1.main.scd")), data.substr(2 + cut));
        n += 2;
    }
    ASSERT_GT(n, 0);
    const RunResult r = RunQuillon({"atlas", dir.str(".")});
    ASSERT_TRUE(r.status == 0 || r.status == 1) << r.status << r.err;
    int failures = 0;
    for (const std::string& line : Lines(r.err)) {
        const std::size_t at =
            line.find(".RDT: ") != std::string::npos ? line.find(".RDT: ") : line.find(".scd: ");
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_GT(line.size(), at + 6) << line;
        ++failures;
    }
    // Every input is a room of the report or a reason.
    EXPECT_EQ(std::stoi(r.out) + failures, n) << r.out.substr(0, 100);
}

#ifdef QUILLON_HAS_JSON
using nlohmann::json;

// The parts of JSON Schema that docs/atlas.schema.json uses: $ref into
// $defs, type, enum, required, properties, additionalProperties: false,
// items, minimum and maximum. Appends what fails to `errors`.
void Validate(const json& value, const json& schema, const json& root, const std::string& where,
              std::vector<std::string>& errors) {
    if (schema.contains("$ref")) {
        const std::string ref = schema["$ref"];
        return Validate(value, root["$defs"][ref.substr(ref.rfind('/') + 1)], root, where, errors);
    }
    if (schema.contains("enum") &&
        std::find(schema["enum"].begin(), schema["enum"].end(), value) == schema["enum"].end())
        errors.push_back(where + ": not one of " + schema["enum"].dump());
    if (schema.contains("type")) {
        const std::string type = schema["type"];
        const bool ok = type == "object"    ? value.is_object()
                        : type == "array"   ? value.is_array()
                        : type == "string"  ? value.is_string()
                        : type == "integer" ? value.is_number_integer()
                        : type == "boolean" ? value.is_boolean()
                                            : false;
        if (!ok) return errors.push_back(where + ": not " + type);
    }
    if (schema.contains("minimum") && value < schema["minimum"])
        errors.push_back(where + ": below the minimum");
    if (schema.contains("maximum") && value > schema["maximum"])
        errors.push_back(where + ": above the maximum");
    if (value.is_object()) {
        for (const auto& key : schema.value("required", json::array()))
            if (!value.contains(key)) errors.push_back(where + ": no " + key.get<std::string>());
        const json properties = schema.value("properties", json::object());
        for (const auto& [key, member] : value.items()) {
            if (properties.contains(key))
                Validate(member, properties[key], root, where + "." + key, errors);
            else if (schema.contains("additionalProperties"))
                errors.push_back(where + ": unknown key " + key);
        }
    }
    if (value.is_array() && schema.contains("items"))
        for (std::size_t k = 0; k < value.size(); ++k)
            Validate(value[k], schema["items"], root, where + "[" + std::to_string(k) + "]",
                     errors);
}

TEST(CliAtlas, JsonFollowsItsSchema) {
    const json schema =
        json::parse(ReadFile(fs::path(QUILLON_SOURCE_DIR) / "docs/atlas.schema.json"));
    TempDir dir;
    WriteFile(dir / "ROOM1040.RDT", "broken");
    const RunResult r =
        RunQuillon({"atlas", "--format", "json", kExamples, dir.str("ROOM1040.RDT")});
    ASSERT_EQ(r.status, 1) << r.err;
    json atlas = json::parse(r.out);
    std::vector<std::string> errors;
    Validate(atlas, schema, schema, "atlas", errors);
    EXPECT_TRUE(errors.empty()) << errors.size() << " errors, first: " << errors[0];
    // Nine doors: two one-way, one out of the set; the broken room named.
    ASSERT_EQ(atlas["doors"].size(), 9u);
    int oneWay = 0, outside = 0;
    for (const json& d : atlas["doors"]) {
        oneWay += d["one_way"].get<bool>();
        outside += !d["in_set"].get<bool>();
    }
    EXPECT_EQ(oneWay, 2);
    EXPECT_EQ(outside, 1);
    ASSERT_EQ(atlas["failures"].size(), 1u);
    EXPECT_EQ(atlas["rooms"][1]["items"][0]["place"]["conditional"], true);
    // The validator catches a fault: a key missing, a value of another type.
    atlas["rooms"][0]["doors"][0].erase("key");
    atlas["flags"][0]["group"] = "3";
    errors.clear();
    Validate(atlas, schema, schema, "atlas", errors);
    EXPECT_EQ(errors.size(), 2u);
}
#endif

} // namespace
