#include "codec/exact/arguments.h"

#include "codec/base/closest.h"
#include "codec/base/text.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

bool ParseNumber(std::string_view t, std::int64_t& value) {
    const bool negative = !t.empty() && t[0] == '-';
    if (negative) t.remove_prefix(1);
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty() || t.size() > 12) return false;
    std::int64_t v = 0;
    for (char c : t) {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
        if (d >= base) return false;
        v = v * base + d;
    }
    value = negative ? -v : v;
    return true;
}

namespace {

// One token as the values it stands for (a user's name may stand for several).
void ValuesOf(std::string_view t, const NameBook& book, std::vector<Argument>& out) {
    Argument a;
    a.token = t;
    if (IsNameStart(t[0]))
        if (const NameBook::Definition* d = NameValue(book, a)) {
            for (const DefinedValue& v : d->values) {
                a.value = v.value;
                a.meaning = v.meaning;
                out.push_back(a);
            }
            return;
        }
    out.push_back(a);
}

} // namespace

const NameBook::Definition* NameValue(const NameBook& book, Argument& a) {
    a.number = false;
    if (const NameBook::Definition* d = book.Empty() ? nullptr : book.Find(a.token)) {
        if (d->values.size() != 1) return d;
        a.value = d->values[0].value;
        a.meaning = d->values[0].meaning;
    } else if (const Naming::Named* n = Naming::Builtin().Find(a.token)) {
        a.value = n->value;
        a.meaning = n->meaning;
    } else {
        a.unresolved = true;
    }
    return nullptr;
}

bool IsIdentifier(std::string_view word) {
    if (word.empty() || !IsNameStart(word[0])) return false;
    for (char c : word)
        if (!IsNameStart(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

bool ReadArguments(std::span<const std::string_view> tokens, const NameBook& book,
                   std::vector<Argument>& out, std::string& error, std::string_view& at) {
    out.clear();
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k] != "|") {
            ValuesOf(tokens[k], book, out);
            continue;
        }
        at = tokens[k];
        if (out.empty() || k + 1 >= tokens.size() || tokens[k + 1] == "|") {
            error = "'|' must stand between two values";
            return false;
        }
        const std::size_t before = out.size();
        ValuesOf(tokens[++k], book, out);
        Argument& left = out[before - 1];
        const Argument& right = out[before];
        if (out.size() != before + 1 || (before >= 2 && left.token == out[before - 2].token)) {
            error = "a name of several values cannot be joined with '|'";
            return false;
        }
        for (const Argument* a : {static_cast<const Argument*>(&left), &right}) {
            if (a->unresolved) {
                at = a->token;
                error = FormatText("unknown name '%s'", MessageWord(a->token).c_str());
                return false;
            }
        }
        std::int64_t l = left.value, r = right.value;
        if ((left.number && !ParseNumber(left.token, l)) ||
            (right.number && !ParseNumber(right.token, r))) {
            error = "'|' joins numbers and names only";
            return false;
        }
        left.value = l | r;
        if (left.meaning == Meaning::None) left.meaning = right.meaning;
        left.number = false;
        out.pop_back();
    }
    return true;
}

std::string ClosestValueName(std::string_view word, const NameBook& book,
                             const std::vector<std::string_view>& more) {
    std::vector<std::string_view> names = more;
    for (const Naming::Entry& e : Naming::Builtin().All()) names.push_back(e.name);
    for (const auto& [name, d] : book.All()) names.push_back(name);
    return ClosestOf(word, names);
}

} // namespace quillon::exact
