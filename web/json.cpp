// JSON both ways, for the page's core. The page writes its jobs with JSON.stringify, so the reader
// takes only what that writes for a flat object; anything else is refused, never guessed at.
#include "web/json.h"

#include <cstdlib>

#include "runtime/error.h"

namespace orbskin::web {

Json& Json::raw(std::string_view key, std::string_view json) {
    out_ += (out_.size() > 1 ? "," : "") + quoted(key) + ":" + std::string(json);
    return *this;
}

std::string Json::quoted(std::string_view value) {
    std::string out = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Json::list(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const std::string& item : items)
        out += (out.size() > 1 ? "," : "") + item;
    return out + "]";
}

std::string Json::texts(const std::vector<std::string>& items) {
    std::vector<std::string> quoted_items;
    for (const std::string& item : items)
        quoted_items.push_back(quoted(item));
    return list(quoted_items);
}

namespace {

// Reads one JSON text from the front, character by character.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    [[noreturn]] void refuse() const {
        throw runtime::Error("the page sent the core a job it cannot read (at character " +
                             std::to_string(at_) + ")");
    }
    void space() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' ||
                                      text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool take(char c) {
        space();
        if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
        return false;
    }
    void expect(char c) {
        if (!take(c)) refuse();
    }
    bool take_word(std::string_view word) {
        space();
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }
    [[nodiscard]] bool peek(char c) {
        space();
        return at_ < text_.size() && text_[at_] == c;
    }
    [[nodiscard]] bool done() {
        space();
        return at_ == text_.size();
    }

    std::string string() {
        expect('"');
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            const char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) refuse();
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) refuse();
            const char e = text_[at_++];
            constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
            if (const std::size_t n = kFrom.find(e); n != std::string_view::npos)
                out += kTo[n];
            else if (e == 'u')
                append_utf8(out, code_point());
            else
                refuse();
        }
        expect('"');
        return out;
    }

    double number() {
        space();
        const std::string rest(text_.substr(at_, 32));
        char* end = nullptr;
        const double value = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str()) refuse();
        at_ += static_cast<std::size_t>(end - rest.c_str());
        return value;
    }

  private:
    unsigned hex4() {
        if (at_ + 4 > text_.size()) refuse();
        const std::string digits(text_.substr(at_, 4));
        char* end = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
        if (end != digits.c_str() + 4) refuse();
        at_ += 4;
        return static_cast<unsigned>(value);
    }
    // A \u escape, with its low half where it is a high surrogate; a lone half is U+FFFD.
    char32_t code_point() {
        const unsigned first = hex4();
        if (first < 0xD800 || first > 0xDFFF) return first;
        if (first < 0xDC00 && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            const unsigned second = hex4();
            if (second >= 0xDC00 && second <= 0xDFFF)
                return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
        }
        return 0xFFFD;
    }
    static void append_utf8(std::string& out, char32_t c) {
        const auto put = [&](unsigned value) { out += static_cast<char>(value); };
        if (c < 0x80) return put(c);
        if (c < 0x800) return put(0xC0 | c >> 6), put(0x80 | (c & 0x3F));
        if (c < 0x10000)
            return put(0xE0 | c >> 12), put(0x80 | (c >> 6 & 0x3F)), put(0x80 | (c & 0x3F));
        put(0xF0 | c >> 18), put(0x80 | (c >> 12 & 0x3F)), put(0x80 | (c >> 6 & 0x3F)),
            put(0x80 | (c & 0x3F));
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

Job::Job(std::string_view json) {
    Reader r(json);
    r.expect('{');
    for (bool first = true; !r.take('}'); first = false) {
        if (!first) r.expect(',');
        std::string key = r.string();
        r.expect(':');
        if (r.take_word("true")) {
            values_[std::move(key)] = true;
        } else if (r.take_word("false")) {
            values_[std::move(key)] = false;
        } else if (r.take('[')) {
            std::vector<std::string> items;
            for (bool head = true; !r.take(']'); head = false) {
                if (!head) r.expect(',');
                items.push_back(r.string());
            }
            values_[std::move(key)] = std::move(items);
        } else if (r.peek('"')) {
            values_[std::move(key)] = r.string();
        } else {
            values_[std::move(key)] = r.number();
        }
    }
    if (!r.done()) r.refuse();
}

std::int64_t Job::number(const std::string& key, std::int64_t otherwise) const {
    const auto found = values_.find(key);
    const double* value = found == values_.end() ? nullptr : std::get_if<double>(&found->second);
    // Beyond what any picture, slot or colour needs: a job never asks for it.
    return value && *value > -1e15 && *value < 1e15 ? static_cast<std::int64_t>(*value) : otherwise;
}

bool Job::flag(const std::string& key) const {
    const auto found = values_.find(key);
    return found != values_.end() && std::holds_alternative<bool>(found->second) &&
           std::get<bool>(found->second);
}

std::string Job::text(const std::string& key) const {
    const auto found = values_.find(key);
    const std::string* value =
        found == values_.end() ? nullptr : std::get_if<std::string>(&found->second);
    return value ? *value : std::string();
}

std::vector<std::string> Job::texts(const std::string& key) const {
    const auto found = values_.find(key);
    const auto* value =
        found == values_.end() ? nullptr : std::get_if<std::vector<std::string>>(&found->second);
    return value ? *value : std::vector<std::string>();
}

}  // namespace orbskin::web
