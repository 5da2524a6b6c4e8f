#include "codec/atlas/facts.h"

#include "codec/exact/exact.h"
#include "codec/exact/operands.h"

namespace quillon::atlas {

namespace {

// The positions of each opcode, with the operand of the decoded view that
// each reads (-1: none starts at its offset, and its byte is read).
struct Reading {
    const Position* position;
    int operand;
};
struct Readings {
    std::vector<Reading> of[256];
    bool facts[256] = {}; // whether some position of the opcode says what it is
};

const Readings& TheReadings() {
    static const Readings readings = [] {
        Readings r;
        const exact::OperandTable& operands = exact::Operands();
        for (const Position& p : RetailPositions()) {
            const exact::OperandList& list = operands.of[p.opcode];
            int operand = -1;
            for (int k = 0; k < list.count; ++k)
                if (list.at[k].offset == p.offset) operand = k;
            r.of[p.opcode].push_back({&p, operand});
            if (p.fact != RoomFact::None) r.facts[p.opcode] = true;
        }
        return r;
    }();
    return readings;
}

class FactReader : public exact::PrintListener {
  public:
    FactReader(room::Script script, std::vector<Fact>& facts)
        : script_(script), facts_(facts), readings_(TheReadings()), operands_(exact::Operands()) {}

    void Printed(const exact::PrintedInstruction& i) override {
        if (i.raw || i.size == 0 || !readings_.facts[i.bytes[0]]) return;
        const exact::DecodedInstruction decoded(operands_, i.bytes);
        Fact f;
        f.opcode = i.bytes[0];
        for (const Reading& r : readings_.of[f.opcode]) {
            const Position& p = *r.position;
            if (p.offset >= i.size || !Applies(p, i.bytes)) continue;
            const std::int32_t v = r.operand >= 0 ? decoded.Value(r.operand) : i.bytes[p.offset];
            if (p.fact != RoomFact::None) f.kind = p.fact;
            if (p.meaning == Meaning::Area) {
                if (f.areaCount < static_cast<int>(std::size(f.area))) f.area[f.areaCount++] = v;
                continue;
            }
            f.value[static_cast<int>(p.meaning)] = v;
            f.has |= std::uint64_t{1} << static_cast<int>(p.meaning);
        }
        if (f.kind == RoomFact::None) return;
        f.place = {script_, i.procedure, i.at, i.line, i.column, i.depth > 0};
        facts_.push_back(f);
    }

  private:
    room::Script script_;
    std::vector<Fact>& facts_;
    const Readings& readings_;
    const exact::OperandTable& operands_;
};

} // namespace

bool ReadChunkFacts(std::string_view chunk, room::Script script, std::vector<Fact>& facts,
                    std::string& reason) {
    FactReader reader(script, facts);
    exact::PrintOptions options;
    // With names, as disassemble --exact prints: a condition after another
    // in a header stands where the names put it.
    options.listener = &reader;
    // The text is thrown away; its room is kept from chunk to chunk, whose
    // fresh pages would cost more than the printing.
    thread_local std::string text;
    return exact::DisassembleChunk(chunk, text, reason, options);
}

void PlaceOnText(std::vector<Fact>& facts, std::size_t first,
                 const std::vector<TextPlace>& lineOf) {
    for (std::size_t k = first; k < facts.size(); ++k) {
        const auto at = static_cast<std::size_t>(facts[k].place.at);
        if (at >= lineOf.size() || lineOf[at].line == 0) continue;
        facts[k].place.line = lineOf[at].line;
        facts[k].place.column = lineOf[at].column;
    }
}

} // namespace quillon::atlas
