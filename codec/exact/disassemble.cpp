// The exact disassembler: the procedure table checked, each procedure's
// items recovered (recovery.h) and printed (printer.h). A procedure whose
// bytes the items would not give back exactly is written as raw bytes
// instead, so that every chunk comes back byte for byte.
#include <algorithm>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/exact/encoder.h"
#include "codec/exact/exact.h"
#include "codec/exact/printer.h"
#include "codec/exact/recovery.h"

namespace quillon::exact {

namespace {

// The procedure as raw lines only.
void RawProcedure(std::string_view chunk, std::int32_t start, std::int32_t end, Procedure& proc) {
    proc.items.clear();
    proc.pool.clear();
    for (std::int32_t at = start; at < end; at += static_cast<std::int32_t>(kRawLine)) {
        const std::size_t n = std::min<std::size_t>(kRawLine, static_cast<std::size_t>(end - at));
        Item& e = proc.Add(ItemKind::Code, chunk.data() + at, n);
        e.raw = true;
        e.at = at;
    }
}

// True when the items give back the procedure's bytes.
// (`out` is working storage, reused.)
bool GivesBack(const Procedure& proc, std::string_view chunk, std::int32_t start, std::int32_t end,
               std::string& out) {
    out.clear();
    EncodeError error;
    if (!EncodeProcedure(proc, start, out, error)) return false;
    return out ==
           chunk.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

} // namespace

bool CheckChunk(std::string_view chunk, std::string& reason) {
    if (chunk.size() < 2) {
        reason = FormatText("%zu bytes are too few for a procedure table", chunk.size());
        return false;
    }
    const std::uint16_t first = U16(chunk, 0);
    if (first == 0 || (first & 1)) {
        reason = FormatText("the first procedure offset 0x%04X is %s", first,
                            first == 0 ? "zero" : "odd");
        return false;
    }
    if (first > chunk.size()) {
        reason = FormatText("the procedure table (%u entries) runs past the end (%zu bytes)",
                            first / 2u, chunk.size());
        return false;
    }
    std::uint16_t previous = first;
    for (std::size_t k = 1; k < first / 2u; ++k) {
        const std::uint16_t at = U16(chunk, 2 * k);
        if (at > chunk.size()) {
            reason = FormatText("procedure %zu starts at 0x%04X, past the end (%zu bytes)", k, at,
                                chunk.size());
            return false;
        }
        if (at < previous) {
            reason = FormatText("procedure %zu starts at 0x%04X, before procedure %zu (0x%04X)", k,
                                at, k - 1, previous);
            return false;
        }
        previous = at;
    }
    return true;
}

bool DisassembleChunk(std::string_view chunk, std::string& text, std::string& reason,
                      const PrintOptions& options) {
    if (!CheckChunk(chunk, reason)) return false;
    const std::size_t count = U16(chunk, 0) / 2u;
    text.clear();
    text.reserve(chunk.size() * 6 + 256);
    text += kMarker;
    text += ": compile with --exact; block lengths, goto offsets, pads and the procedure "
            "table are worked out from the text\r\n#include <";
    text += kNamesHeader;
    text += ">\r\n";
    Printer printer(text, options);
    Recovery recovery(chunk);
    Procedure proc;
    std::vector<std::int32_t> labelAt;
    std::string encoded;
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t start = U16(chunk, 2 * k);
        const std::int32_t end =
            k + 1 < count ? U16(chunk, 2 * (k + 1)) : static_cast<std::int32_t>(chunk.size());
        if (!recovery.Run(start, end, proc, labelAt) ||
            !GivesBack(proc, chunk, start, end, encoded)) {
            RawProcedure(chunk, start, end, proc);
            labelAt.clear();
        }
        text += "\r\n";
        printer.Procedure(proc, static_cast<int>(k), labelAt);
    }
    return true;
}

} // namespace quillon::exact
