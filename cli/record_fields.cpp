#include "cli/record_fields.h"

namespace twk {

void eachField(const wizard::ProjectRecord& r, Fields& f) {
    visitFields(r, [&f](const char* name, const auto& m) {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, int>) {
            f.number(name, m);
        } else if constexpr (std::is_same_v<T, wizard::HeapText>) {
            if (m) f.text(name, *m);
            else f.missing(name);
        } else if constexpr (std::is_array_v<std::remove_reference_t<decltype(m)>>) {
            for (std::size_t i = 0; i < std::extent_v<std::remove_reference_t<decltype(m)>>; ++i)
                f.number(("panel_flags[" + std::to_string(i) + "]").c_str(), m[i]);
        } else {
            f.text(name, m.view());
        }
    });
}

}  // namespace twk
