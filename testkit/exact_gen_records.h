// The instructions of the chunk generator whose operands mean something to
// the game, with their bytes drawn as the game's scripts hold them: area
// records whose data bytes follow the scene type, references to procedures
// behind the gosub marker, flags, items, scene and item bits, with named
// values and values without a name side by side.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace exact_gen {

class Records {
  public:
    explicit Records(std::mt19937& rng) : rng_(rng) {}

    // An instruction's bytes; `aligned` when it holds a 16-bit field.
    struct Bytes {
        std::string b;
        bool aligned;
    };

    // Gosub "18 P", Evt_exec "04 S 18 P" or Evt_chain "03 00 18 P".
    Bytes Reference(int procedure) {
        const auto p = static_cast<char>(procedure);
        switch (Pick(3)) {
        case 0: return {{'\x18', p}, false};
        case 1: return {{'\x04', static_cast<char>(Pick(2) ? 0xFF : 2 + Pick(9)), '\x18', p}, true};
        default: return {{'\x03', '\0', '\x18', p}, false};
        }
    }

    // Aot_set, Aot_reset or Aot_set_4p: the data bytes d0 to d5 (at 14, 4
    // and 22) as the scene type at offset 2 has them.
    Bytes Area(int procedures) {
        static const struct {
            std::uint8_t op;
            int size, data;
        } kinds[] = {{0x2C, 20, 14}, {0x46, 10, 4}, {0x67, 28, 22}};
        const auto& k = kinds[Pick(3)];
        std::string b = Random(k.op, k.size);
        static const std::uint8_t scenes[] = {5, 0, 6, 4, 2};
        std::uint8_t sce = scenes[Pick(k.op == 0x46 ? 5 : 4)];
        if (!Pick(6)) sce = static_cast<std::uint8_t>(Pick(16)); // any type, any data
        b[1] = static_cast<char>(Pick(32));
        b[2] = static_cast<char>(sce);
        b[3] = static_cast<char>(Sat());
        std::uint8_t d[6];
        for (std::uint8_t& x : d) x = static_cast<std::uint8_t>(rng_());
        if (sce == 5 || (sce == 0 && Pick(2))) { // an event: slot, 0, marker, procedure, 0, 0
            static const std::uint8_t slots[] = {0xFF, 2, 4, 6, 8, 9};
            Set(d, slots[Pick(6)], 0, 0x18, static_cast<std::uint8_t>(Pick(procedures)), 0, 0);
        } else if (sce == 6) { // a flag: group, 0, index, 0, value, 0
            std::uint8_t group, index;
            Flag(group, index);
            Set(d, group, 0, index, 0, static_cast<std::uint8_t>(Pick(2)), 0);
        } else if (sce == 4) { // a message
            static const std::uint8_t tails[] = {0xFF, 0xEF, 0xFD, 0};
            Set(d, static_cast<std::uint8_t>(Pick(47)), 0, 0, 0, Pick(2) ? 0xFF : 0,
                tails[Pick(4)]);
        } else if (sce == 2 && k.op == 0x46) { // an item, an amount, a flag index (16-bit each)
            Set(d, Item(), 0, static_cast<std::uint8_t>(1 + Pick(30)), 0,
                static_cast<std::uint8_t>(rng_()), static_cast<std::uint8_t>(Pick(2)));
        }
        for (int i = 0; i < 6; ++i)
            b[static_cast<std::size_t>(k.data + i)] = static_cast<char>(d[i]);
        return {b, true};
    }

    // Gives the operands of an instruction of random bytes the values that
    // carry names, where it has such operands.
    void Dress(std::string& b) {
        auto at = [&](std::size_t i) -> char& { return b[i]; };
        switch (static_cast<std::uint8_t>(b[0])) {
        case 0x21:   // Ck
        case 0x22: { // Set
            std::uint8_t group, index;
            Flag(group, index);
            at(1) = static_cast<char>(group);
            at(2) = static_cast<char>(index);
            at(3) = static_cast<char>(Pick(2));
            break;
        }
        case 0x3B: // Door_aot_set: the key/lock
            Head(b);
            at(30) = static_cast<char>(Pick(2) ? KeyLock() : Item());
            break;
        case 0x4E: // Item_aot_set: item, object, item flags
            Head(b);
            at(14) = static_cast<char>(Item());
            at(15) = 0;
            at(21) = static_cast<char>(ItemFlags());
            break;
        case 0x3E: // Member_cmp: 0, member, comparator
            at(1) = 0;
            at(2) = static_cast<char>(Pick(46));
            at(3) = static_cast<char>(Pick(7));
            break;
        case 0x5E: // Keep_Item_ck
        case 0x88: // Sce_Item_ck_Lost
            at(1) = static_cast<char>(Item());
            break;
        default: break;
        }
    }

  private:
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    std::string Random(std::uint8_t op, int size) {
        std::string b(1, static_cast<char>(op));
        for (int i = 1; i < size; ++i) b += static_cast<char>(rng_() & 0xFF);
        return b;
    }
    static void Set(std::uint8_t* d, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                    std::uint8_t d3, std::uint8_t d4, std::uint8_t d5) {
        d[0] = d0, d[1] = d1, d[2] = d2, d[3] = d3, d[4] = d4, d[5] = d5;
    }
    void Head(std::string& b) {
        b[1] = static_cast<char>(Pick(32));
        b[2] = static_cast<char>(Pick(15));
        b[3] = static_cast<char>(Sat());
    }
    // Bits 0 to 6 have names, bit 7 none; 0 has a name of its own.
    std::uint8_t Sat() {
        const int v = Pick(4) ? static_cast<int>(rng_() & 0x7F) : 0;
        return static_cast<std::uint8_t>(v | (Pick(5) ? 0 : 0x80));
    }
    // The items of the table, and 100 to 103 and 129 on, which have no name.
    std::uint8_t Item() { return static_cast<std::uint8_t>(Pick(4) ? Pick(100) : 100 + Pick(60)); }
    std::uint8_t KeyLock() {
        static const std::uint8_t v[] = {0, 254, 255};
        return v[Pick(3)];
    }
    // Named: 0, a glint, IF_FAST, IF_FLOOR; a bit of 0x0E or a glint of
    // 0x20 to 0x80 leaves the value a number.
    std::uint8_t ItemFlags() {
        static const std::uint8_t v[] = {0,    0x01, 0xA0, 0xA1, 0xC0, 0xC1, 0xE0,
                                         0xF1, 0x10, 0x80, 0x20, 0x61, 0x02, 0xAE};
        return v[Pick(14)];
    }
    // A group (35 and 36 have no name) and an index: the pairs that have
    // names, an item in FG_USE, or any index.
    void Flag(std::uint8_t& group, std::uint8_t& index) {
        static const std::uint8_t named[][2] = {{0, 25}, {1, 0},  {1, 1},  {1, 5},
                                                {1, 6},  {1, 27}, {11, 31}};
        const int how = Pick(4);
        if (how == 0) {
            const auto& p = named[Pick(7)];
            group = p[0], index = p[1];
        } else if (how == 1) {
            group = 10, index = Item();
        } else {
            group = static_cast<std::uint8_t>(Pick(37));
            index = static_cast<std::uint8_t>(Pick(64));
        }
    }

    std::mt19937& rng_;
};

} // namespace exact_gen
