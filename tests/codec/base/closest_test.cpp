// The guess of a name meant: the search skips names that cannot be close,
// and must guess as a search through every name would.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec/base/closest.h"
#include "codec/exact/naming.h"

namespace {

// Edit distance with adjacent transpositions, every cell worked out.
int Plain(std::string_view a, std::string_view b, bool fold) {
    const auto same = [fold](char x, char y) {
        return fold ? std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y))
                    : x == y;
    };
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = static_cast<int>(i + j);
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
            if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string PlainClosest(std::string_view word, const std::vector<std::string_view>& names) {
    const int allowed = word.size() >= 9 ? 3 : word.size() >= 5 ? 2 : word.size() >= 3 ? 1 : 0;
    std::string_view best;
    int bestFolded = allowed + 1, bestExact = 0;
    for (std::string_view name : names) {
        if (name == word) continue;
        const int folded = Plain(word, name, true), exact = Plain(word, name, false);
        if (folded < bestFolded || (folded == bestFolded && exact < bestExact)) {
            best = name;
            bestFolded = folded;
            bestExact = exact;
        }
    }
    return std::string(best);
}

TEST(ClosestName, GuessesAsASearchThroughEveryName) {
    std::vector<std::string_view> names;
    for (const auto& e : quillon::exact::Naming::Builtin().All()) names.push_back(e.name);
    std::mt19937 rng(11);
    int guessed = 0;
    for (int n = 0; n < 100; ++n) {
        // A name with one to four slips (a letter changed, dropped, added,
        // swapped with the next, or its case changed).
        std::string w(names[rng() % names.size()]);
        for (int slips = 1 + static_cast<int>(rng() % 4); slips > 0 && w.size() > 1; --slips) {
            const std::size_t at = rng() % (w.size() - 1);
            switch (rng() % 5) {
            case 0: w[at] = static_cast<char>('A' + rng() % 26); break;
            case 1: w.erase(at, 1); break;
            case 2: w.insert(at, 1, '_'); break;
            case 3: std::swap(w[at], w[at + 1]); break;
            default: w[at] = static_cast<char>(std::tolower(static_cast<unsigned char>(w[at])));
            }
        }
        const std::string guess = quillon::ClosestOf(w, names);
        EXPECT_EQ(guess, PlainClosest(w, names)) << w;
        guessed += !guess.empty();
    }
    EXPECT_GT(guessed, 30); // the words were near enough for guesses
}

} // namespace
