#include "print_plan.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

namespace quillon {

namespace {

Piece PlanPiece(const char* text) {
    Piece p;
    p.text = text;
    p.length = static_cast<std::uint8_t>(std::strlen(text));
    if (p.length < kPaddedPiece) std::memcpy(p.padded, text, p.length);
    return p;
}

} // namespace

FormPlan PlanForm(const Form& form) {
    return FormPlan{PlanPiece(form.open), PlanPiece(form.sep), PlanPiece(form.close)};
}

const PrintPlan& PlanOf(const Dialect& d) {
    static std::mutex lock;
    static std::map<const Dialect*, std::unique_ptr<PrintPlan>> plans;
    const std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<PrintPlan>& plan = plans[&d];
    if (!plan) {
        plan = std::make_unique<PrintPlan>();
        for (int op = 0; op < 256; ++op) {
            const std::string_view name = (*d.table)[op].name;
            if (name.size() < kPaddedName) {
                name.copy(plan->paddedName[op], name.size());
                plan->nameLength[op] = static_cast<std::uint8_t>(name.size());
            } else {
                plan->nameLength[op] = kLongName;
            }
            plan->forms[op] = PlanForm(*d.forms[op]);
        }
    }
    return *plan;
}

} // namespace quillon
