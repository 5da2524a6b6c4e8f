#include "codec/base/closest.h"

#include <algorithm>

namespace quillon {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edit distance with adjacent transpositions. With `foldCase` letters that
// differ only in case are equal. Past `bound` the exact figure does not
// matter: once two rows in a row exceed it, no later row can come back
// under it, and something over it is returned.
int Distance(std::string_view a, std::string_view b, bool foldCase, int bound) {
    const size_t n = a.size(), m = b.size();
    thread_local std::vector<int> rows;
    rows.resize(3 * (m + 1));
    int* prev2 = rows.data();
    int* prev = prev2 + m + 1;
    int* cur = prev + m + 1;
    for (size_t j = 0; j <= m; ++j) prev[j] = static_cast<int>(j);
    auto same = [&](char x, char y) { return foldCase ? Lower(x) == Lower(y) : x == y; };
    bool overBefore = false;
    for (size_t i = 1; i <= n; ++i) {
        cur[0] = static_cast<int>(i);
        int least = cur[0];
        for (size_t j = 1; j <= m; ++j) {
            const int cost = same(a[i - 1], b[j - 1]) ? 0 : 1;
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
                cur[j] = std::min(cur[j], prev2[j - 2] + 1);
            least = std::min(least, cur[j]);
        }
        if (least > bound && overBefore) return bound + 1;
        overBefore = least > bound;
        std::swap(prev2, prev);
        std::swap(prev, cur);
    }
    return prev[m];
}

// A bound below the distance, cheap to find: the letters (case folded) that
// one word has more of than the other, as an edit changes at most one of
// each. `letters` counts the word's; it is left as it was.
int LettersApart(int (&letters)[256], std::size_t wordSize, std::string_view name) {
    int unmatched = static_cast<int>(wordSize), extra = 0;
    for (char c : name) {
        int& n = letters[static_cast<unsigned char>(Lower(c))];
        (n > 0 ? unmatched : extra) += n > 0 ? -1 : 1;
        --n;
    }
    for (char c : name) ++letters[static_cast<unsigned char>(Lower(c))];
    return std::max(unmatched, extra);
}

} // namespace

std::string ClosestOf(std::string_view word, const std::vector<std::string_view>& names) {
    // How far a word may be from a name for the name to be a likely meaning.
    const size_t len = word.size();
    const int allowed = len >= 9 ? 3 : len >= 5 ? 2 : len >= 3 ? 1 : 0;
    int letters[256] = {};
    for (char c : word) ++letters[static_cast<unsigned char>(Lower(c))];
    std::string_view best;
    int bestFolded = allowed + 1, bestExact = 0;
    for (std::string_view name : names) {
        // The distance is at least the difference in length: a name longer
        // or shorter by more than is allowed is never close (exact mode
        // guesses among some two thousand names).
        if (name == word || name.size() > len + static_cast<size_t>(allowed) ||
            len > name.size() + static_cast<size_t>(allowed))
            continue;
        if (LettersApart(letters, len, name) > bestFolded) continue;
        const int folded = Distance(word, name, true, bestFolded);
        if (folded > bestFolded) continue;
        const int exact = Distance(word, name, false, 1 << 30);
        if (folded < bestFolded || exact < bestExact) {
            best = name;
            bestFolded = folded;
            bestExact = exact;
        }
    }
    return std::string(best);
}

} // namespace quillon
