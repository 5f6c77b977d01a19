// Messages as data, and their English.
#include "runtime/message.h"

#include <algorithm>

namespace orbskin::runtime {

Arg::Arg(std::string_view name, const Message& message)
    : name(name), message(std::make_shared<const Message>(message)) {}

Message Message::as_is(std::string text) {
    constexpr std::string_view kItself = "{text}";  // in no catalogue, so said as it is
    return Message(kItself, {{"text", std::move(text)}});
}

Message Message::plural(std::string_view one, std::string_view many, std::uint64_t n,
                        std::vector<Arg> args) {
    Message message(one, std::move(args));
    message.plural_ = many;
    message.n_ = n;
    return message;
}

std::string Message::text() const {
    return fill(
        plural_.empty() || n_ == 1 ? english() : plural_, *this,
        [](const Message& part) { return part.text(); }, kEnglishWriting);
}

std::string write(Number number, const Writing& writing) {
    const bool negative = number.value < 0;
    // As unsigned, so that the most negative value has its digits too.
    auto magnitude = negative ? 0 - static_cast<std::uint64_t>(number.value)
                              : static_cast<std::uint64_t>(number.value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (digits.size() <= number.decimals)
        digits.insert(0, number.decimals + 1 - digits.size(), '0');
    const auto whole = digits.size() - number.decimals;
    std::string out = negative ? "-" : "";
    for (std::size_t i = 0; i < whole; ++i) {
        if (i && (whole - i) % 3 == 0 && whole >= writing.grouped_from) out += writing.group;
        out += digits[i];
    }
    if (number.decimals) out += std::string(writing.decimal) + digits.substr(whole);
    return out;
}

std::string write(const Quoted& quoted, const Writing& writing) {
    return std::string(writing.open) + quoted.name + std::string(writing.close);
}

std::string fill(std::string_view form, const Message& message,
                 const std::function<std::string(const Message&)>& say, const Writing& writing) {
    std::string out;
    for (std::size_t at = 0; at < form.size();) {
        const auto open = form.find('{', at);
        const auto close = form.find('}', open);
        if (close == std::string_view::npos) {
            out += form.substr(at);
            break;
        }
        out += form.substr(at, open - at);
        const auto name = form.substr(open + 1, close - open - 1);
        const auto& args = message.args();
        std::size_t skip = 0;  // a space after the placeholder, left out
        const auto arg =
            std::find_if(args.begin(), args.end(), [&](const Arg& a) { return a.name == name; });
        if (arg != args.end() && arg->message)
            out += say(*arg->message);
        else if (arg != args.end() && arg->number)
            out += write(*arg->number, writing);
        else if (arg != args.end() && arg->listed) {
            const std::string between = say(Message(", "));  // the catalogue's own list separator
            for (std::size_t i = 0; i < arg->listed->size(); ++i)
                out += (i ? between : "") + (*arg->listed)[i];
        } else if (arg != args.end() && arg->quoted) {
            const bool tight = !writing.spaced_quotes;
            if (tight && out.ends_with(' ')) out.pop_back();
            out += write(Quoted{arg->text}, writing);
            if (tight && form.substr(close + 1).starts_with(' ')) ++skip;
        } else if (arg != args.end())
            out += arg->text;
        else if (name == "n" && !message.english_plural().empty())
            out += write(Number(static_cast<std::int64_t>(message.count())), writing);
        else
            out += form.substr(open, close - open + 1);
        at = close + 1 + skip;
    }
    return out;
}

}  // namespace orbskin::runtime
