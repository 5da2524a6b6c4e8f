// The decoded view: each operand at its offset, with the value that the
// exact line shows (signed kinds negative, 16-bit fields low byte first).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "codec/exact/exact.h"
#include "codec/exact/operands.h"

namespace {

using namespace quillon;

TEST(ExactOperands, ValuesAreThoseTheLineShows) {
    // Cmp: a signed byte, a comparison, a signed word, and the byte that the
    // classic text leaves out; then a return.
    const std::string chunk("\x02\x00\x23\x01\xFE\x05\x00\x80\x01\x00", 10);
    const exact::DecodedInstruction d(exact::Operands(),
                                      reinterpret_cast<const std::uint8_t*>(chunk.data() + 2));
    std::vector<std::pair<int, int>> operands;
    for (int k = 0; k < d.Count(); ++k) operands.push_back({d[k].offset, d.Value(k)});
    EXPECT_EQ(operands, (std::vector<std::pair<int, int>>{{2, -2}, {3, 5}, {4, -32768}, {1, 1}}));
    std::string text, reason;
    ASSERT_TRUE(exact::DisassembleChunk(chunk, text, reason)) << reason;
    EXPECT_NE(text.find("\tCmp(V_FE != -32768, 1);\r\n"), std::string::npos) << text;
}

} // namespace
