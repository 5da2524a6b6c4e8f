// Guessing the name meant by an unknown word: the closest of a list of names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The name of `names` closest to `word` (edit distance with adjacent
// transpositions, case differences counting least), or "" when none is close.
std::string ClosestOf(std::string_view word, const std::vector<std::string_view>& names);

// "; did you mean 'NAME'?" for a guess, or "" for none: the end of a message.
inline std::string DidYouMean(const std::string& guess) {
    return guess.empty() ? std::string() : "; did you mean '" + guess + "'?";
}

} // namespace quillon
