// The JSON the page and the core exchange: replies written field by field, and jobs read as one
// flat object of numbers, true/false, texts and lists of texts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orbskin::web {

// A JSON object written field by field.
class Json {
  public:
    Json& text(std::string_view key, std::string_view value) { return raw(key, quoted(value)); }
    Json& number(std::string_view key, std::int64_t value) {
        return raw(key, std::to_string(value));
    }
    Json& flag(std::string_view key, bool value) { return raw(key, value ? "true" : "false"); }
    Json& raw(std::string_view key, std::string_view json);
    [[nodiscard]] std::string str() const { return out_ + "}"; }

    [[nodiscard]] static std::string quoted(std::string_view value);
    [[nodiscard]] static std::string list(const std::vector<std::string>& items);
    [[nodiscard]] static std::string texts(const std::vector<std::string>& items);

  private:
    std::string out_ = "{";
};

// A job from the page: a flat JSON object. Throws runtime::Error for a text that is not one;
// a key that is missing, or of another kind, reads as `otherwise`.
class Job {
  public:
    explicit Job(std::string_view json);
    [[nodiscard]] std::int64_t number(const std::string& key, std::int64_t otherwise = 0) const;
    [[nodiscard]] bool flag(const std::string& key) const;
    [[nodiscard]] std::string text(const std::string& key) const;
    [[nodiscard]] std::vector<std::string> texts(const std::string& key) const;

  private:
    using Value = std::variant<double, bool, std::string, std::vector<std::string>>;
    std::map<std::string, Value, std::less<>> values_;
};

}  // namespace orbskin::web
