// The one walk over a form's fields: those that apply to an instruction of a
// given size, in the form's order, either all of them (as the line prints
// them) or only those that compiling reads back from the line.
//
//     for (const Field& f : AppliedFields(form, size, FieldWalk::Printed)) ...
//     for (const Field& f : AppliedFields(form, size, FieldWalk::Scanned)) ...
//
// Every caller that lists, prints, scans or counts a form's fields walks them
// so; none tests FieldApplies or kNoScan itself.
#pragma once

#include <cstddef>
#include <iterator>

#include "codec/isa/opcodes.h"

namespace quillon {

// Which of the fields that apply a walk visits.
enum class FieldWalk : unsigned char {
    Printed, // every field that applies
    Scanned, // those of them that compiling reads (kNoScan left out)
};

constexpr bool Visits(const Field& f, int size, FieldWalk walk) {
    return FieldApplies(f, size) && !(walk == FieldWalk::Scanned && (f.flags & kNoScan));
}

class AppliedFields {
  public:
    constexpr AppliedFields(const Form& form, int size, FieldWalk walk)
        : begin_(form.fields), end_(form.fields + form.fieldCount), size_(size), walk_(walk) {}

    class iterator {
      public:
        using value_type = Field;
        using difference_type = std::ptrdiff_t;
        using reference = const Field&;
        using pointer = const Field*;
        using iterator_category = std::forward_iterator_tag;

        constexpr iterator() = default;
        constexpr iterator(const Field* at, const AppliedFields* walk) : at_(at), walk_(walk) {
            Skip();
        }
        constexpr const Field& operator*() const { return *at_; }
        constexpr const Field* operator->() const { return at_; }
        constexpr iterator& operator++() {
            ++at_;
            Skip();
            return *this;
        }
        constexpr iterator operator++(int) {
            iterator was = *this;
            ++*this;
            return was;
        }
        constexpr bool operator==(const iterator& other) const { return at_ == other.at_; }

      private:
        constexpr void Skip() {
            while (at_ != walk_->end_ && !Visits(*at_, walk_->size_, walk_->walk_)) ++at_;
        }
        const Field* at_ = nullptr;
        const AppliedFields* walk_ = nullptr;
    };

    constexpr iterator begin() const { return iterator(begin_, this); }
    constexpr iterator end() const { return iterator(end_, this); }
    // How many fields the walk visits.
    constexpr int Count() const {
        int n = 0;
        for (auto it = begin(); it != end(); ++it) ++n;
        return n;
    }

  private:
    const Field* begin_;
    const Field* end_;
    int size_;
    FieldWalk walk_;
};

} // namespace quillon
