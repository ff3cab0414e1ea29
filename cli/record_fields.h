// A project record's fields by their names, in the project file's order,
// handed to a sink: twk show prints them (as lines or JSON), twk diff
// compares two records by them.
#pragma once

#include <string_view>

#include "wizard/project_record.h"

namespace twk {

struct Fields {
    virtual ~Fields() = default;
    virtual void text(const char* name, std::string_view value) = 0;
    virtual void number(const char* name, int value) = 0;
    virtual void missing(const char* name) = 0;   // a heap text that is absent
    void put(const char* name, std::string_view value) { text(name, value); }
    void put(const char* name, int value) { number(name, value); }
    void put(const char* name, const wizard::HeapText& value) {
        if (value) text(name, *value);
        else missing(name);
    }
};

// Every field of `r`, panel flags as "panel_flags[i]".
void eachField(const wizard::ProjectRecord& r, Fields& f);

}  // namespace twk
