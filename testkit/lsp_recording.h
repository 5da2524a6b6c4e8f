// Front-end events recorded by hand, standing in for what the exact
// compiler tells its listener: tests and the recorded server play them to
// the language server, so that its features are checked against known events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/exact/listener.h"
#include "lsp/analysis.h"
#include "lsp/document.h"
#include "lsp/instructions.h"

namespace quillon_test {

namespace recording_detail {
using quillon::Meaning;
using quillon::exact::TokenRole;
namespace exact = quillon::exact;
namespace lsp = quillon::lsp;
// A fake front end: the events of one text, placed by the words they are at.
class Recording {
  public:
    explicit Recording(std::string text) : text_(std::move(text)) {}

    // The span of the nth `word` on `line` (from 1).
    exact::Span At(int line, std::string_view word, int nth = 0) const {
        const lsp::Document d(text_);
        const std::string_view l = d.Line(line - 1);
        std::size_t at = l.find(word);
        while (nth-- > 0) at = l.find(word, at + 1);
        if (at == std::string_view::npos)
            return {0, line, 0, 0, false}; // no such word: a span of nothing
        return {0, line, static_cast<int>(at) + 1, static_cast<int>(word.size()), false};
    }
    Recording& Token(int line, std::string_view word, TokenRole role, bool definition = false,
                     int nth = 0) {
        const exact::TokenEvent e{At(line, word, nth), role, definition, word};
        events_.push_back([e, w = std::string(word)](exact::Listener& l) {
            exact::TokenEvent copy = e;
            copy.text = w;
            l.Token(copy);
        });
        return *this;
    }
    // An instruction's name and its arguments (numbers, built-in or defined
    // names), with the values and meanings the front end gives them.
    struct Arg {
        std::string word;
        std::int64_t value;
        Meaning meaning;
        TokenRole role = TokenRole::Number;
    };
    Recording& Instruction(int line, const std::string& name, std::vector<Arg> args, int procedure,
                           std::int64_t at) {
        Token(line, name, TokenRole::Instruction);
        const int op = lsp::OpcodeNamed(name);
        const lsp::InstructionInfo& info = lsp::InfoOf(static_cast<std::uint8_t>(op));
        const exact::InstructionEvent i{
            At(line, name), static_cast<std::uint8_t>(op), info.size, procedure, at, 1, false};
        events_.push_back([i](exact::Listener& l) { l.Instruction(i); });
        int k = 0;
        std::size_t from = At(line, name).column + name.size();
        for (const Arg& a : args) {
            const std::size_t at =
                std::string(lsp::Document(text_).Line(line - 1)).find(a.word, from);
            from = at + a.word.size();
            const exact::Span span{0, line, static_cast<int>(at) + 1,
                                   static_cast<int>(a.word.size()), false};
            const auto& place = info.arguments[static_cast<std::size_t>(k)];
            const exact::ArgumentEvent e{span,
                                         static_cast<std::uint8_t>(op),
                                         k,
                                         place.field.offset,
                                         place.field.kind,
                                         a.meaning,
                                         true,
                                         a.value,
                                         Meaning::None};
            const exact::TokenEvent t{span, a.role, false, a.word};
            events_.push_back([e, t, w = a.word](exact::Listener& l) {
                exact::TokenEvent copy = t;
                copy.text = w;
                l.Token(copy);
                l.Argument(e);
            });
            ++k;
        }
        return *this;
    }
    Recording& Function(int line, std::string_view name, int index, int last) {
        Token(line, name, TokenRole::Function, true);
        const exact::FunctionEvent f{At(line, name), index, line, last};
        events_.push_back([f](exact::Listener& l) { l.Function(f); });
        return *this;
    }
    Recording& Block(int line, std::string_view keyword, int last) {
        const exact::BlockEvent b{At(line, keyword), line, last};
        events_.push_back([b](exact::Listener& l) { l.Block(b); });
        return *this;
    }
    Recording& Define(int line, std::string_view name, std::int64_t value, Meaning meaning,
                      std::string body) {
        Token(line, name, TokenRole::Macro, true);
        const exact::DefineEvent d{At(line, name), false, true, 1, value, meaning, {}};
        events_.push_back([d, body](exact::Listener& l) {
            exact::DefineEvent copy = d;
            copy.body = body;
            l.Define(copy);
        });
        return *this;
    }

    const std::string& Text() const { return text_; }
    void Play(exact::Listener& l) const {
        for (const auto& e : events_) e(l);
    }

  private:
    std::string text_;
    std::vector<std::function<void(exact::Listener&)>> events_;
};

// Plays each text's recording when the server compiles that text.
inline lsp::FrontEnd Fake(std::vector<const Recording*> recordings) {
    return [recordings](std::string_view text, const exact::CompileOptions& options,
                        const exact::MessageHandler&) {
        for (const Recording* r : recordings)
            if (r->Text() == text && options.listener) r->Play(*options.listener);
    };
}

} // namespace recording_detail

using recording_detail::Fake;
using recording_detail::Recording;

} // namespace quillon_test
