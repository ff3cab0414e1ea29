// A fixed-width ANSI text slot: a NUL-terminated char array of N bytes that
// holds at most N - 1 characters. Every assignment cuts, so it can never overrun.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace wizard {

template <std::size_t N>
class FixedText {
    static_assert(N >= 1, "a slot holds at least its NUL");

public:
    static constexpr std::size_t width = N;
    static constexpr std::size_t capacity = N - 1;

    FixedText() { data_[0] = '\0'; }
    FixedText(std::string_view s) { assign(s); }
    FixedText(const char* s) { assign(s); }

    FixedText& operator=(std::string_view s) { assign(s); return *this; }
    FixedText& operator=(const std::string& s) { assign(std::string_view(s)); return *this; }
    FixedText& operator=(const char* s) { assign(s); return *this; }

    // Keeps the first capacity characters of s (up to an embedded NUL).
    void assign(std::string_view s) {
        std::size_t n = 0;
        while (n < s.size() && n < capacity && s[n] != '\0') ++n;
        if (n) std::memmove(data_, s.data(), n);
        data_[n] = '\0';
    }
    void assign(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }
    void clear() { data_[0] = '\0'; }

    const char* c_str() const { return data_; }
    std::size_t size() const { return std::strlen(data_); }
    bool empty() const { return data_[0] == '\0'; }
    std::string str() const { return std::string(data_); }
    std::string_view view() const { return std::string_view(data_); }
    operator std::string_view() const { return view(); }

    // Raw buffer for code that fills the slot in place; the last byte stays NUL.
    char* buffer() { data_[capacity] = '\0'; return data_; }

    int compare(std::string_view other) const { return view().compare(other); }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
    template <std::size_t M>
    friend bool operator==(const FixedText& a, const FixedText<M>& b) { return a.view() == b.view(); }

private:
    char data_[N];
};

}  // namespace wizard
